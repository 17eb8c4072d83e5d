// Calls that the plug-in answers at once: values both ways, properties,
// script errors, child objects, methods read as values.
var plugin = navigator.createPlugin('application/x-velon', {});
console.log(typeof plugin, String(plugin), plugin.valid);
console.log('add', plugin.add(2, 3), 'echo', plugin.echo('text'), plugin.echo(1.5), plugin.echo(null), plugin.echo(true));
console.log('count', plugin.count);
plugin.count = 7;
console.log('count', plugin.count);
try { plugin.count = 'many' } catch (e) { console.log('set refused:', e.message) }
try { plugin.fail('no way') } catch (e) { console.log('fail:', e.message) }
try { plugin.add('x') } catch (e) { console.log('add:', e.message) }
try { plugin.nothing() } catch (e) { console.log('missing:', e.name) }
console.log('unknown member', plugin.nothing, 'then' in plugin, 'add' in plugin);
var list = [1, 'two', { three: 3 }];
console.log('same array back', plugin.echo(list) === list);
var first = plugin.child('first');
var second = plugin.child('second');
console.log('children', first.name, second.name, String(first));
var add = plugin.add;
console.log('method as value', typeof add, add(20, 22));
console.log('members', Object.keys(plugin).sort().join(','));
