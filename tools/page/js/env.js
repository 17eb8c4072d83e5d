// The page's browser-like environment. Called once with the global object,
// the engine's native functions and the page URL; returns the helpers through
// which the engine reaches script values (every access that may run page
// code goes through a helper, so that the engine calls it protected).
(function (global, native, url) {
    'use strict';

    var LOG = 0, ALERT = 1, ERROR = 2;

    // ---- jobs (promise reactions) and unhandled rejections
    var jobs = [];
    var unhandled = [];

    function enqueueJob(job) {
        jobs.push(job);
    }

    function describe(value) {
        if (typeof value === 'string')
            return value;
        if (value instanceof Error || native.isHost(value) || typeof value === 'function')
            return String(value);
        try {
            var text = JSON.stringify(value);
            return text === undefined ? String(value) : text;
        } catch (e) {
            return String(value);
        }
    }

    function report(prefix, value) {
        native.write(ERROR, prefix + describe(value));
    }

    // ---- console and alert
    function consoleWriter(kind) {
        return function () {
            native.write(kind, Array.prototype.map.call(arguments, describe).join(' '));
        };
    }

    var console = {
        log: consoleWriter(LOG),
        info: consoleWriter(LOG),
        debug: consoleWriter(LOG),
        warn: consoleWriter(LOG),
        error: consoleWriter(ERROR)
    };

    function alert(message) {
        native.write(ALERT, message === undefined ? '' : String(message));
    }

    // ---- timers on the virtual clock
    function setTimeout(handler, delay) {
        var args = Array.prototype.slice.call(arguments, 2);
        if (typeof handler !== 'function')
            handler = String(handler);
        return native.addTimer([handler, args], Math.max(0, Number(delay) || 0));
    }

    function clearTimeout(id) {
        native.clearTimer(Number(id) || 0);
    }

    // ---- location
    function Location(href) {
        var m = /^([A-Za-z][A-Za-z0-9+.\-]*:)(?:\/\/([^\/?#:]*)(?::(\d+))?)?([^?#]*)(\?[^#]*)?(#.*)?$/.exec(href) || [];
        this.href = href;
        this.protocol = m[1] || '';
        this.hostname = m[2] || '';
        this.port = m[3] || '';
        this.host = this.hostname + (this.port ? ':' + this.port : '');
        this.pathname = m[4] || '';
        this.search = m[5] || '';
        this.hash = m[6] || '';
        this.origin = this.hostname ? this.protocol + '//' + this.host : 'null';
    }
    Location.prototype.toString = function () {
        return this.href;
    };

    // ---- DOM
    function NodeList() {
        this.length = 0;
    }
    NodeList.prototype.item = function (index) {
        var node = this[index];
        return node === undefined ? null : node;
    };

    function Element(tagName, ownerDocument) {
        this.nodeType = 1;
        this.tagName = this.nodeName = String(tagName).toUpperCase();
        this.ownerDocument = ownerDocument;
        this.parentNode = null;
        this.childNodes = new NodeList();
        this.attributes = {};
        this.id = '';
        this.innerHTML = '';
        this.width = 0;
        this.height = 0;
        this.scrollWidth = 0;
        this.scrollHeight = 0;
        this.style = {};
    }

    Element.prototype.setAttribute = function (name, value) {
        name = String(name).toLowerCase();
        value = String(value);
        this.attributes[name] = value;
        if (name === 'id')
            this.id = value;
        else if (name === 'width' || name === 'height')
            this[name] = Number(value) || 0;
    };
    Element.prototype.getAttribute = function (name) {
        name = String(name).toLowerCase();
        if (name === 'id' && this.id)
            return this.id;
        return Object.prototype.hasOwnProperty.call(this.attributes, name) ? this.attributes[name] : null;
    };
    Element.prototype.hasAttribute = function (name) {
        return this.getAttribute(name) !== null;
    };
    Element.prototype.removeAttribute = function (name) {
        name = String(name).toLowerCase();
        delete this.attributes[name];
        if (name === 'id')
            this.id = '';
    };
    Element.prototype.appendChild = function (child) {
        if (!(child instanceof Element))
            throw new TypeError('appendChild: the argument is not a node');
        for (var up = this; up; up = up.parentNode) {
            if (up === child)
                throw new Error('appendChild: the new child contains the parent');
        }
        if (child.parentNode)
            child.parentNode.removeChild(child);
        Array.prototype.push.call(this.childNodes, child);
        child.parentNode = this;
        return child;
    };
    Element.prototype.removeChild = function (child) {
        var index = Array.prototype.indexOf.call(this.childNodes, child);
        if (index < 0)
            throw new Error('removeChild: the node is not a child of this node');
        Array.prototype.splice.call(this.childNodes, index, 1);
        child.parentNode = null;
        return child;
    };
    Element.prototype.walk = function (visit) {
        for (var i = 0; i < this.childNodes.length; i++) {
            var child = this.childNodes[i];
            if (visit(child) === true || child.walk(visit) === true)
                return true;
        }
        return false;
    };
    Element.prototype.getElementsByTagName = function (tagName) {
        var wanted = String(tagName).toUpperCase();
        var found = new NodeList();
        this.walk(function (node) {
            if (wanted === '*' || node.tagName === wanted)
                Array.prototype.push.call(found, node);
        });
        return found;
    };
    Element.prototype.getElementById = function (id) {
        var found = null;
        id = String(id);
        this.walk(function (node) {
            if (node.id === id) {
                found = node;
                return true;
            }
        });
        return found;
    };

    function Document(href) {
        Element.call(this, '#document', this);
        this.nodeType = 9;
        this.nodeName = '#document';
        this.location = new Location(href);
        this.URL = href;
        this.title = '';
        this.defaultView = global;
        this.documentElement = this.appendChild(this.createElement('html'));
        this.head = this.documentElement.appendChild(this.createElement('head'));
        this.body = this.documentElement.appendChild(this.createElement('body'));
    }
    Document.prototype = Object.create(Element.prototype);
    Document.prototype.constructor = Document;
    Document.prototype.createElement = function (tagName) {
        return new Element(tagName, this);
    };

    var document = new Document(url);

    // ---- markup: the document's elements, then its scripts in order
    var VOID = /^(area|base|br|col|embed|hr|img|input|link|meta|param|source|track|wbr)$/;
    var TOKEN = /<!--[\s\S]*?-->|<![^>]*>|<(\/?)([A-Za-z][A-Za-z0-9\-]*)((?:\s+[^\s"'>\/=]+(?:\s*=\s*(?:"[^"]*"|'[^']*'|[^\s"'>]+))?)*)\s*(\/?)>/g;
    var ATTRIBUTE = /([^\s"'>\/=]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?/g;

    function setAttributes(element, text) {
        var m;
        ATTRIBUTE.lastIndex = 0;
        while ((m = ATTRIBUTE.exec(text)) !== null) {
            var value = m[2] !== undefined ? m[2] : m[3] !== undefined ? m[3] : m[4] !== undefined ? m[4] : '';
            element.setAttribute(m[1], value);
        }
    }

    function loadHtml(html) {
        var scripts = [];
        var stack = [document.body];
        var m;
        TOKEN.lastIndex = 0;
        while ((m = TOKEN.exec(html)) !== null) {
            if (m[2] === undefined)
                continue;  // comment or declaration
            var name = m[2].toLowerCase();
            var top = stack[stack.length - 1];
            if (m[1] === '/') {
                if (name === 'head') {
                    stack = [document.body];
                    continue;
                }
                for (var i = stack.length - 1; i > 0; i--) {
                    if (stack[i].tagName.toLowerCase() === name) {
                        stack[i].innerHTML = html.slice(stack[i].contentStart, m.index);
                        delete stack[i].contentStart;
                        stack.length = i;
                        break;
                    }
                }
                continue;
            }
            if (name === 'html' || name === 'head' || name === 'body') {
                var existing = name === 'html' ? document.documentElement : document[name];
                setAttributes(existing, m[3]);
                stack = [name === 'head' ? document.head : document.body];
                continue;
            }
            var element = document.createElement(name);
            setAttributes(element, m[3]);
            top.appendChild(element);
            if (name === 'script' || name === 'style') {
                var rest = html.slice(TOKEN.lastIndex);
                var close = rest.search(new RegExp('</' + name + '\\s*>', 'i'));
                var text = close < 0 ? rest : rest.slice(0, close);
                element.innerHTML = element.text = text;
                TOKEN.lastIndex += close < 0 ? rest.length : close;
                if (name === 'script')
                    scripts.push({ src: element.getAttribute('src'), text: text });
            } else if (!VOID.test(name) && m[4] !== '/') {
                element.contentStart = TOKEN.lastIndex;
                stack.push(element);
            }
        }
        return scripts;
    }

    // ---- the global object
    var navigator = {
        userAgent: 'Mozilla/5.0 (X11; Linux x86_64) PageEngine/1.0',
        createPlugin: function (mimeType, params) {
            if (params !== undefined && params !== null && typeof params !== 'object')
                throw new TypeError('createPlugin: params must be an object');
            return native.createPlugin(String(mimeType), params || {});
        },
        destroyPlugin: function (plugin) {
            native.destroyPlugin(plugin);
        }
    };

    // The virtual clock, in milliseconds since the page was made.
    var performance = {
        now: function () {
            return native.now();
        }
    };

    var names = {
        window: global, self: global, document: document, location: document.location,
        navigator: navigator, console: console, alert: alert, performance: performance,
        setTimeout: setTimeout, clearTimeout: clearTimeout
    };
    Object.keys(names).forEach(function (name) {
        Object.defineProperty(global, name, { value: names[name], writable: true, enumerable: true, configurable: true });
    });

    function isPlain(x) {
        var proto = Object.getPrototypeOf(x);
        return proto === Object.prototype || proto === null;
    }

    function ownEntries(o) {
        var out = [];
        for (var k in o) {
            if (Object.prototype.hasOwnProperty.call(o, k))
                out.push([k, o[k]]);
        }
        return out;
    }

    return {
        enqueueJob: enqueueJob,
        onUnhandled: function (promise, reason) {
            unhandled.push({ promise: promise, reason: reason });
        },
        onHandled: function (promise) {
            unhandled = unhandled.filter(function (entry) { return entry.promise !== promise; });
        },
        // Runs up to limit jobs; once the queue is empty, reports the
        // rejections nobody handled. Answers the number of jobs run.
        drainJobs: function (limit) {
            var ran = 0;
            while (jobs.length > 0 && ran < limit) {
                var job = jobs.shift();
                ran++;
                try {
                    job();
                } catch (e) {
                    report('Uncaught ', e);
                }
            }
            if (jobs.length === 0 && unhandled.length > 0) {
                var left = unhandled;
                unhandled = [];
                left.forEach(function (entry) { report('Uncaught (in promise) ', entry.reason); });
            }
            return ran;
        },
        pendingJobs: function () {
            return jobs.length;
        },
        runTimer: function (record) {
            if (typeof record[0] === 'function')
                Function.prototype.apply.call(record[0], global, record[1]);
            else
                (0, eval)(record[0]);
        },
        evaluate: function (source) {
            return (0, eval)(source);
        },
        get: function (o, k) {
            return o[k];
        },
        set: function (o, k, v) {
            o[k] = v;
        },
        del: function (o, k) {
            return delete o[k];
        },
        keys: function (o) {
            var seen = {};
            var out = [];
            function add(k) {
                if (!Object.prototype.hasOwnProperty.call(seen, k)) {
                    seen[k] = true;
                    out.push(k);
                }
            }
            Object.getOwnPropertyNames(o).forEach(add);
            for (var k in o)
                add(k);
            return out;
        },
        call: function (f, self, args) {
            if (typeof f !== 'function')
                throw new TypeError('not a function');
            return Function.prototype.apply.call(f, self, args);
        },
        invoke: function (o, name, args) {
            var f = o[name];
            if (typeof f !== 'function')
                throw new TypeError(name + ' is not a function');
            return Function.prototype.apply.call(f, o, args);
        },
        isFunction: function (x) {
            return typeof x === 'function';
        },
        // How a value reads deeply: 'array', 'plain' or 'other'.
        shape: function (x) {
            return Array.isArray(x) ? 'array' : isPlain(x) ? 'plain' : 'other';
        },
        elements: function (a) {
            return Array.prototype.slice.call(a);
        },
        entries: ownEntries,
        // One level of an object for the host: elements of an array-like
        // object, own members of any other.
        read: function (o) {
            if (Array.isArray(o) || (typeof o === 'object' && typeof o.length === 'number'))
                return { array: true, values: Array.prototype.slice.call(o) };
            return { array: false, values: ownEntries(o) };
        },
        deferred: function () {
            var d = {};
            d.promise = new Promise(function (resolve, reject) {
                d.resolve = resolve;
                d.reject = reject;
            });
            return d;
        },
        loadHtml: loadHtml
    };
})
