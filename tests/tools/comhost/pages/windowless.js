// A windowless control is drawn by the container and gets the user's input
// through it; a windowed one gets it in its own window.
var drawn = navigator.createPlugin('application/x-velon', { windowless: true });
var windowed = navigator.createPlugin('application/x-velon', { windowless: false });
console.log('inputs ' + ('inputs' in drawn) + ' ' + typeof drawn);
function report(name, plugin) {
    return plugin.inputs().then(function (seen) { console.log(name + ': ' + seen.join('; ')); });
}
setTimeout(function () {
    user.click(20, 10);
    user.press(65);
    report('windowless', drawn).then(function () {
        // The windowed control stands below it, in a window of its own.
        user.click(30, 190);
        return report('windowed', windowed);
    });
}, 0);
