// The browser's object entries on page objects, as a bare module sees them.
var probe = navigator.createPlugin('application/x-probe', {});
console.log(probe.inspect({ a: 1, 0: 'zero', f: function (x) { return x * 21; } }));
console.log(probe.inspect({ a: 'text', g: function () { throw new Error('no'); } }));
function Point(x) { this.x = x; }
console.log(probe.construct(Point, 7));
console.log(probe.evaluate('document.title = "probe"; 6 * 7'));
console.log(probe.evaluate('syntax error ('));
console.log(probe.element());
probe.callFromThread(function (value) { console.log('called on the loop with', value); });
console.log('asked from a thread');
