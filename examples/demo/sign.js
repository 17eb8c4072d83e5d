// Page 2 of the demo: the page signs a text with the new key and the
// certificate the CA issued; the plug-in asks the user for the key's password.
function ready(velon) {
  velon.initPlugin().then(function () {
    console.log('subject: ' + velon.getCertificateProperty(DEMO.certificate, 'subject'));
    var signature = velon.sign(DEMO.text, DEMO.keyPath, DEMO.certificate, false);
    console.log('-- signature --');
    console.log(signature);
    console.log('-- end of signature --');
  }).then(null, function (e) { console.log('failed: ' + e.message); });
}
navigator.createPlugin('application/x-velon', { onload: ready });
