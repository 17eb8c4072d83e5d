var plugin = navigator.createPlugin('application/x-velon', {});
console.log('object ' + typeof plugin + ' ' + ('add' in plugin) + ' ' + ('nothing' in plugin));
plugin.add(2, 3).then(function (sum) { console.log('add ' + sum); });
plugin.echo('text').then(function (v) { console.log('echo ' + v); });
plugin.fail('no way').then(null, function (e) { console.log('fail: ' + e); });
plugin.count = 7;
plugin.count.then(function (n) { console.log('count ' + n); });
plugin.add(1, 'x').then(null, function (e) { console.log('add: ' + e); });
try { plugin.missing(); } catch (e) { console.log('missing ' + e.name); }
plugin.echo([1, 'two', { three: 3 }]).then(function (v) { console.log('echo ' + JSON.stringify(v)); });
try {
    navigator.createPlugin('application/x-other', {});
} catch (e) {
    console.log('other: ' + e.message);
}
