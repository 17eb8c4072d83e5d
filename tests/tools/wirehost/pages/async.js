// What happens on the loop: the instance's onload (named by a parameter),
// promises the plug-in answers later, the plug-in calling and reading the
// page, events, script the plug-in injects, and the instance's end.
function ready(plugin) {
    console.log('onload at', performance.now(), 'ms', typeof plugin);
    plugin.location().then(function (href) {
        console.log('location', href);
        return plugin.later('answer');
    }).then(function (value) {
        console.log('later', value);
        return plugin.callBack(function (x) { return x + ' and back'; }, 'there');
    }).then(function (value) {
        console.log('callBack', value);
        return plugin.readList(['a', 2, false]);
    }).then(function (values) {
        console.log('readList', JSON.stringify(values));
        return plugin.readMap({ a: 1, b: ['two'], c: null });
    }).then(function (members) {
        console.log('readMap', JSON.stringify(members));
        plugin.ondone = function (event) { console.log('event', event); };
        plugin.fire('ondone', 'fired');
        plugin.evaluate("console.log('injected by the plug-in')");
        return new Promise(function (resolve) { setTimeout(resolve, 10); });
    }).then(function () {
        navigator.destroyPlugin(plugin);
        try { plugin.add(1, 1) } catch (e) { console.log('after destroy:', e.message) }
    })['catch'](function (e) {
        console.log('failed:', e.message);
    });
}
var plugin = navigator.createPlugin('application/x-velon', { onload: 'ready' });
console.log('created', typeof plugin);
