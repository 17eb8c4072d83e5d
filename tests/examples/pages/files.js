// The page names files that are no regular files, and a file with a NUL
// inside its name.
function ready(velon) {
    run([
        ['init', function () { return velon.initPlugin(); }],
        ['fifo', function () { return velon.file_buffer(T.fifo); }],
        ['cut short', function () { return velon.file_buffer(T.data + '\u0000.pem'); }],
        ['sign fifo', function () { return velon.signFile(T.fifo, T.key, T.certificate); }],
        ['trusted device', function () { return velon.loadTrustedCertificates('/dev/zero'); }],
        ['crl device', function () { return velon.loadCRLs('/dev/urandom'); }],
        ['untrusted fifo', function () { return velon.loadUntrustedCertificates(T.fifo); }],
        ['whole name', function () { return velon.file_buffer(T.data); }]
    ]);
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
