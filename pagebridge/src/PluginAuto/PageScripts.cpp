#include "PluginAuto/PageScripts.h"

namespace PB {
namespace PageScripts {

namespace {

const char* const helperPlaceholder = "PageBridgeHelperThingy";

const char* const helperTemplate =
    "!function(){window.PageBridgeHelperThingy={asyncCall:function(n,r,e,t){return t?setTimeout(function(){r[t]."
    "apply(r,e)},n):setTimeout(function(){r.apply(null,e)},n)},makeError:function(n){return new Error(n)}}}();";

// One line when evaluated; split here only for reading. States: PEND 1,
// PROMISE 2 (adopting a thenable), RESOLVE 3, REJECT 4.
const char* const promiseSource =
    "(function(g){var PEND=1,PROMISE=2,RESOLVE=3,REJECT=4,ts=Object.prototype.toString;"
    "var isFn=typeof /./!==\"function\"?function(x){return typeof x===\"function\"}"
    ":function(x){return ts.call(x)===\"[object Function]\"};"
    "function later(f,v){setTimeout(function(){f(v)},0)}"
    "function D(){var self=this,state=PEND,value,onF=[],onR=[],p={};"
    "function each(list,v){for(var i=0;i<list.length;i++)later(list[i],v)}"
    "function rej(r){if(state===RESOLVE||state===REJECT)return;"
    "if(r===self||r===p)r=new TypeError(\"A promise cannot be rejected with itself\");"
    "value=r;state=REJECT;each(onR,r);onF=[];onR=[]}"
    "function res(v,inner){if(state===RESOLVE||state===REJECT||(state===PROMISE&&!inner))return;"
    "if(v===self||v===p){rej(new TypeError(\"A promise cannot be resolved with itself\"));return}"
    "if(v!==null&&(isFn(v)||typeof v===\"object\")){var t;try{t=v.then}catch(e){rej(e);return}"
    "if(isFn(t)){state=PROMISE;var called=false;"
    "try{t.call(v,function(y){if(!called){called=true;res(y,true)}},function(r){if(!called){called=true;rej(r)}})}"
    "catch(e){if(!called){called=true;state=PEND;rej(e)}}return}}"
    "value=v;state=RESOLVE;each(onF,v);onF=[];onR=[]}"
    "p.then=function(f,r){var d=new D();"
    "function wrap(h,pass){return function(v){if(!isFn(h)){pass(v);return}var x;"
    "try{x=h(v)}catch(e){d.reject(e);return}d.resolve(x)}}"
    "var wf=wrap(f,function(v){d.resolve(v)}),wr=wrap(r,function(x){d.reject(x)});"
    "if(state===RESOLVE)later(wf,value);else if(state===REJECT)later(wr,value);"
    "else{onF.push(wf);onR.push(wr)}return d.promise};"
    "self.promise=p;self.resolve=function(v){res(v,false)};self.reject=function(r){rej(r)}}"
    "g.PageBridgePromise=function(){return new D()}})(this);";

}  // namespace

std::string helperName(std::uint32_t contextId)
{
    return "_PB_HELPERS_" + std::to_string(contextId);
}

std::string helperScript(const std::string& name)
{
    std::string script = helperTemplate;
    const std::string placeholder = helperPlaceholder;
    script.replace(script.find(placeholder), placeholder.size(), name);
    return script;
}

const std::string& promiseLibrary()
{
    static const std::string library = promiseSource;
    return library;
}

}  // namespace PageScripts
}  // namespace PB
