// Page text with line breaks, and page text of many megabytes, in the log.
function ready(velon) {
    run([
        ['init', function () { return velon.initPlugin(); }],
        ['forged', function () { return velon.fileExists(T.forged); }],
        ['long', function () { return velon.fileExists(new Array(4 << 20).join('x')); }]
    ]);
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
