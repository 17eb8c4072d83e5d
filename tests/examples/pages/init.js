// The page only asks to use the plug-in.
function ready(velon) {
    run([['init', function () { return velon.initPlugin(); }]]);
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
