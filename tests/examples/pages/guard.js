// A page the user refuses: nothing the API gives works for it, before
// initPlugin or after, the machine's addresses included.
function ready(velon) {
    run([
        ['network before init', function () { return velon.getNetworkInterfaceInfo(); }],
        ['file before init', function () { return velon.file_buffer(T.data); }],
        ['init', function () { return velon.initPlugin(); }],
        ['network', function () { return velon.getNetworkInterfaceInfo(); }],
        ['file', function () { return velon.file_buffer(T.data); }],
        ['exists', function () { return velon.fileExists(T.data); }],
        ['sign', function () { return velon.sign('text', T.key, T.certificate, false); }],
        ['trust', function () { return velon.loadTrustedCertificates(T.data); }],
        ['tokens', function () { return velon.getTokensList(); }]
    ]);
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
