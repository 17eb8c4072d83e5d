// A save-file chooser that the module opens: answered by --answers, or cancelled.
var plugin = navigator.createPlugin('application/x-velon', {});
var chosen = plugin.chooseFile('Save signature');
console.log('chosen', chosen === '' ? '(cancelled)' : chosen);
