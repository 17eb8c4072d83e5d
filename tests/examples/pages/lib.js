// Shared by the hostile pages: each step prints what became of one call.
// Under NPAPI and ActiveX every answer is a promise, under HostWire an
// immediate answer is a value and a failure may be thrown at once:
// Promise.resolve and the try take all of them.
function describe(value) {
    if (value && value.message !== undefined)
        return value.message;
    return typeof value === 'string' ? value : JSON.stringify(value);
}

function attempt(label, call) {
    var answer;
    try {
        answer = call();
    } catch (e) {
        console.log(label + ': error ' + describe(e));
        return Promise.resolve(false);
    }
    return Promise.resolve(answer).then(function (value) {
        console.log(label + ': ok ' + describe(value));
        return true;
    }, function (e) {
        console.log(label + ': error ' + describe(e));
        return false;
    });
}

// Runs the steps one after another; each is [label, function].
function run(steps) {
    return steps.reduce(function (done, step) {
        return done.then(function () { return attempt(step[0], step[1]); });
    }, Promise.resolve());
}
