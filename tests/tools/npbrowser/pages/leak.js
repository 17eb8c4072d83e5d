// The module keeps a page object past its end: npbrowser reports the leak.
var plugin = navigator.createPlugin('application/x-velon', {});
plugin.keep({ kept: true }).then(function () { console.log('kept'); });
