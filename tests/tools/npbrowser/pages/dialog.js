// A save-file chooser that the module opens: answered by --answers, or cancelled.
var plugin = navigator.createPlugin('application/x-velon', {});
plugin.chooseFile('Save signature').then(function (chosen) {
    console.log('chosen', chosen === '' ? '(cancelled)' : chosen);
});
