// A rejection nobody handles, once the page's own promise adopts it.
var plugin = navigator.createPlugin('application/x-velon', {});
console.log('before');
Promise.resolve(plugin.fail('left unhandled'));
