var plugin = navigator.createPlugin('application/x-velon', {});
console.log('before');
plugin.fail('left unhandled');
