// The page asks which address and hardware address reach its server.
function ready(velon) {
    run([
        ['init', function () { return velon.initPlugin(); }],
        ['network', function () { return velon.getNetworkInterfaceInfo(); }]
    ]);
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
