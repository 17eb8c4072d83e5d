var plugin = navigator.createPlugin('application/x-velon', { onload: 'loaded' });
function loaded(api) { console.log('onload ' + typeof api); }
plugin.later('answer').then(function (v) { console.log('later ' + v); });
plugin.callBack(function (x) { return 'back ' + x; }, 'there').then(function (v) { console.log('callBack ' + v); });
plugin.readList(['a', 2, false]).then(function (v) { console.log('readList ' + JSON.stringify(v)); });
plugin.location().then(function (v) { console.log('location ' + v); });
plugin.evaluate('window.evaluated = 42;').then(function () { console.log('evaluated ' + window.evaluated); });
plugin.child('first').then(function (c) { return c.name; }).then(function (n) { console.log('child ' + n); });
plugin.ondone = function (v) { console.log('ondone ' + v); };
plugin.fire('ondone', 7);
try { plugin.missing(); } catch (e) { console.log('missing ' + e.name); }
