// Page 1 of the demo: the page asks the plug-in for a GOST R 34.10-2012 key
// pair; the plug-in asks the user for the new key's password and hands the
// page a certificate request for a CA to sign.
function ready(velon) {
  velon.initPlugin().then(function () {
    console.log('Orvanta Signature Plugin ' + velon.getVersion() + ' is ready on ' + location.href);
    velon.setKeyGenOptions('GOST3410-2012-256', 'A', '', '');
    velon.addCertRequestAttribute('CN', 'Demo Signer');
    velon.addCertRequestAttribute('O', 'Orvanta demo');
    var request = velon.generateKeyPair(DEMO.keyPath, false);
    console.log('-- certificate request --');
    console.log(request);
    console.log('-- end of certificate request --');
  }).then(null, function (e) { console.log('failed: ' + e.message); });
}
navigator.createPlugin('application/x-velon', { onload: ready });
