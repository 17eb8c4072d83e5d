var plugin = navigator.createPlugin('application/x-velon', {});
console.log('object ' + typeof plugin);
plugin.add(2, 3).then(function (sum) { console.log('add ' + sum); });
plugin.echo('text').then(function (v) { console.log('echo ' + v); });
plugin.fail('no way').then(null, function (e) { console.log('fail: ' + e); });
plugin.count.then(function (n) { console.log('count ' + n); });
