// A module that misuses the browser: each misuse is reported, and fails the run.
var probe = navigator.createPlugin('application/x-probe', {});
var steps = ['overRelease', 'foreignFree', 'offThread', 'unknownIdentifier', 'leak'];
steps.forEach(function (step) {
    probe[step]({});
    console.log(step);
});
