// Calls the plug-in answers at once: every answer reaches the page as a
// promise of the injected library, every failure as a rejection; member
// tests, writes and enumeration answer directly.
var plugin = navigator.createPlugin('application/x-velon', {});

function text(value) {
    return value instanceof Error ? 'Error: ' + value.message : JSON.stringify(value);
}

function show(label, promise) {
    return promise.then(function (value) {
        console.log(label, text(value));
    }, function (reason) {
        console.log(label, 'rejected', text(reason));
    });
}

var list = [1, 'two', { three: 3 }];
var steps = [
    function () { return show('add', plugin.add(2, 3)); },
    function () { return show('echo', plugin.echo('text')); },
    function () { return show('echo', plugin.echo(1.5)); },
    function () { return show('echo', plugin.echo(null)); },
    function () { return show('echo', plugin.echo(true)); },
    function () {
        return plugin.echo(list).then(function (back) { console.log('same array back', back === list); });
    },
    function () { return show('count', plugin.count); },
    function () {
        plugin.count = 7;
        return show('count', plugin.count);
    },
    function () {
        try { plugin.count = 'many'; } catch (e) { console.log('set refused:', e.message); }
        return show('fail', plugin.fail('no way'));
    },
    function () { return show('add', plugin.add('x')); },
    function () {
        return plugin.child('first').then(function (child) {
            console.log('child', typeof child, 'name' in child);
            return show('child name', child.name);
        });
    },
    function () {
        var add = plugin.add;
        console.log('method as value', typeof add);
        return show('add as value', add(20, 22));
    },
    function () {
        try { plugin.nothing(); } catch (e) { console.log('missing:', e.name); }
        console.log('members', typeof plugin, plugin.nothing, 'then' in plugin, 'add' in plugin);
        console.log('keys', Object.keys(plugin).sort().join(','));
        return Promise.resolve();
    },
    function () {
        var refusals = [
            function () { navigator.createPlugin('application/x-other', {}); },
            function () { navigator.createPlugin('application/x-velon', { onload: function () {} }); },
            function () { navigator.destroyPlugin({}); }
        ];
        refusals.forEach(function (refuse) {
            try { refuse(); } catch (e) { console.log('refused:', e.message); }
        });
        return Promise.resolve();
    }
];

steps.reduce(function (done, step) { return done.then(step); }, Promise.resolve()).then(function () {
    console.log('done');
});
