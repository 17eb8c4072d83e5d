// One frame after another, each of a site the user allows for good.
var next = 0;
function open() {
    if (next >= T.sites.length)
        return;
    location.href = T.sites[next++];
    navigator.createPlugin('application/x-velon', { onload: 'ready' });
}
function ready(velon) {
    attempt('init', function () { return velon.initPlugin(); }).then(open);
}
open();
