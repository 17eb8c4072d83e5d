// URLs the module loads through the browser: local files arrive as streams,
// anything else is refused; an instance destroyed with a stream open ends it.
var base = location.href.replace(/[^\/]*$/, '');
var plugin = navigator.createPlugin('application/x-velon', {});

function show(label, promise) {
    return promise.then(function (value) {
        console.log(label, JSON.stringify(value));
    }, function (reason) {
        console.log(label, 'rejected:', reason.message);
    });
}

show('file', plugin.fetch(base + 'stream.txt')).then(function () {
    return show('missing', plugin.fetch(base + 'missing.txt'));
}).then(function () {
    return show('remote', plugin.fetch('https://site.example/data.txt'));
}).then(function () {
    var other = navigator.createPlugin('application/x-velon', {});
    show('cut short', other.fetch(base + 'stream.txt'));
    navigator.destroyPlugin(other);
    console.log('destroyed with a stream open');
});
