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
        // A list of one number is not the page's Array(5), an empty array of length 5.
        return plugin.readList([5]);
    }).then(function (values) {
        console.log('readList', JSON.stringify(values));
        plugin.addEventListener('done', function (value) { console.log('event', value); });
        plugin.fire('ondone', 'fired');
        plugin.evaluate("console.log('injected by the plug-in')");
        return new Promise(function (resolve) { setTimeout(resolve, 10); });
    }).then(function () {
        navigator.destroyPlugin(plugin);
        try { plugin.add(1, 1); } catch (e) { console.log('after destroy:', e.message); }
    }, function (e) {
        console.log('failed:', e.message);
    });
}
var plugin = navigator.createPlugin('application/x-velon', { onload: 'ready', answer: 42 });
console.log('created', typeof plugin, document.getElementsByTagName('object').length);
