// Two granted sites in one browser process: the page of the first signs
// (the user types the key's password), then a frame of the second site
// signs with the same key.
function signed(answer) {
    return Promise.resolve(answer).then(function (text) {
        return text.indexOf('-----BEGIN CMS-----') === 0 ? 'signature' : text;
    });
}
function first(velon) {
    run([
        ['first init', function () { return velon.initPlugin(); }],
        ['first sign', function () { return signed(velon.sign('text', T.key, T.certificate, false)); }],
        ['first again', function () { return signed(velon.sign('text', T.key, T.certificate, false)); }]
    ]).then(function () {
        location.href = T.other;
        navigator.createPlugin('application/x-velon', { onload: 'second' });
    });
}
function second(velon) {
    run([
        ['second init', function () { return velon.initPlugin(); }],
        ['second sign', function () { return signed(velon.sign('text', T.key, T.certificate, false)); }]
    ]);
}
navigator.createPlugin('application/x-velon', { onload: 'first' });
