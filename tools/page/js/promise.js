// Promise for an engine that has none: the ES2015 semantics pages rely on
// (resolution of thenables, reactions as jobs in order, then/catch/finally,
// resolve/reject/all/race). enqueueJob(f) queues f on the page's job queue;
// onUnhandled(promise, reason) and onHandled(promise) let the page report
// rejections that nobody handled.
(function (global, enqueueJob, onUnhandled, onHandled) {
    'use strict';
    if (typeof global.Promise === 'function')
        return;

    var PENDING = 0, FULFILLED = 1, REJECTED = 2;

    function isObject(x) {
        return x !== null && (typeof x === 'object' || typeof x === 'function');
    }

    function Promise(executor) {
        if (!(this instanceof Promise) || this._state !== undefined)
            throw new TypeError('Promise must be called with new');
        if (typeof executor !== 'function')
            throw new TypeError('Promise resolver is not a function');
        this._state = PENDING;
        this._value = undefined;
        this._reactions = [];
        this._handled = false;
        var fns = resolvingFunctions(this);
        try {
            executor(fns.resolve, fns.reject);
        } catch (e) {
            fns.reject(e);
        }
    }

    function resolvingFunctions(p) {
        var done = false;
        return {
            resolve: function (x) {
                if (done)
                    return;
                done = true;
                resolvePromise(p, x);
            },
            reject: function (r) {
                if (done)
                    return;
                done = true;
                settle(p, REJECTED, r);
            }
        };
    }

    function resolvePromise(p, x) {
        if (x === p)
            return settle(p, REJECTED, new TypeError('Chaining cycle detected for promise'));
        if (!isObject(x))
            return settle(p, FULFILLED, x);
        var then;
        try {
            then = x.then;
        } catch (e) {
            return settle(p, REJECTED, e);
        }
        if (typeof then !== 'function')
            return settle(p, FULFILLED, x);
        enqueueJob(function () {
            var fns = resolvingFunctions(p);
            try {
                then.call(x, fns.resolve, fns.reject);
            } catch (e) {
                fns.reject(e);
            }
        });
    }

    function settle(p, state, value) {
        if (p._state !== PENDING)
            return;
        p._state = state;
        p._value = value;
        var reactions = p._reactions;
        p._reactions = undefined;
        if (state === REJECTED && !p._handled)
            onUnhandled(p, value);
        for (var i = 0; i < reactions.length; i++)
            react(reactions[i], state, value);
    }

    function react(reaction, state, value) {
        enqueueJob(function () {
            var handler = state === FULFILLED ? reaction.onFulfilled : reaction.onRejected;
            if (typeof handler !== 'function') {
                if (state === FULFILLED)
                    reaction.resolve(value);
                else
                    reaction.reject(value);
                return;
            }
            var result;
            try {
                result = handler(value);
            } catch (e) {
                reaction.reject(e);
                return;
            }
            reaction.resolve(result);
        });
    }

    function capability() {
        var cap = {};
        cap.promise = new Promise(function (resolve, reject) {
            cap.resolve = resolve;
            cap.reject = reject;
        });
        return cap;
    }

    Promise.prototype.then = function (onFulfilled, onRejected) {
        if (!(this instanceof Promise) || this._state === undefined)
            throw new TypeError('then called on an object that is not a Promise');
        var reaction = capability();
        reaction.onFulfilled = onFulfilled;
        reaction.onRejected = onRejected;
        if (this._state === REJECTED && !this._handled)
            onHandled(this);
        this._handled = true;
        if (this._state === PENDING)
            this._reactions.push(reaction);
        else
            react(reaction, this._state, this._value);
        return reaction.promise;
    };

    Promise.prototype['catch'] = function (onRejected) {
        return this.then(undefined, onRejected);
    };

    Promise.prototype['finally'] = function (onFinally) {
        if (typeof onFinally !== 'function')
            return this.then(onFinally, onFinally);
        return this.then(function (value) {
            return Promise.resolve(onFinally()).then(function () { return value; });
        }, function (reason) {
            return Promise.resolve(onFinally()).then(function () { throw reason; });
        });
    };

    Promise.resolve = function (x) {
        if (x instanceof Promise && x.constructor === Promise)
            return x;
        return new Promise(function (resolve) { resolve(x); });
    };

    Promise.reject = function (r) {
        return new Promise(function (resolve, reject) { reject(r); });
    };

    Promise.all = function (list) {
        return new Promise(function (resolve, reject) {
            var items = Array.prototype.slice.call(list);
            var values = new Array(items.length);
            var left = items.length;
            if (left === 0)
                return resolve(values);
            items.forEach(function (item, i) {
                Promise.resolve(item).then(function (value) {
                    values[i] = value;
                    if (--left === 0)
                        resolve(values);
                }, reject);
            });
        });
    };

    Promise.race = function (list) {
        return new Promise(function (resolve, reject) {
            Array.prototype.slice.call(list).forEach(function (item) {
                Promise.resolve(item).then(resolve, reject);
            });
        });
    };

    Object.defineProperty(global, 'Promise', { value: Promise, writable: true, configurable: true });
})
