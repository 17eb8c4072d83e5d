// Page 1 of the demo: the page asks the plug-in for a GOST R 34.10-2012 key
// pair; the plug-in asks the user for the new key's password and hands the
// page a certificate request for a CA to sign. Under NPAPI and ActiveX every
// answer is a promise, under HostWire an immediate answer is a value:
// Promise.resolve takes both.
function ready(velon) {
  Promise.resolve(velon.initPlugin()).then(function () {
    return Promise.resolve(velon.getVersion());
  }).then(function (version) {
    console.log('Orvanta Signature Plugin ' + version + ' is ready on ' + location.href);
    return Promise.resolve(velon.setKeyGenOptions('GOST3410-2012-256', 'A', '', ''));
  }).then(function () {
    return Promise.resolve(velon.addCertRequestAttribute('CN', 'Demo Signer'));
  }).then(function () {
    return Promise.resolve(velon.addCertRequestAttribute('O', 'Orvanta demo'));
  }).then(function () {
    return Promise.resolve(velon.generateKeyPair(DEMO.keyPath, false));
  }).then(function (request) {
    console.log('-- certificate request --');
    console.log(request);
    console.log('-- end of certificate request --');
  }).then(null, function (e) { console.log('failed: ' + (e && e.message ? e.message : e)); });
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
