// Page 2 of the demo: the page signs a text with the new key and the
// certificate the CA issued; the plug-in asks the user for the key's password.
function ready(velon) {
  Promise.resolve(velon.initPlugin()).then(function () {
    return Promise.resolve(velon.getCertificateProperty(DEMO.certificate, 'subject'));
  }).then(function (subject) {
    console.log('signer: ' + subject);
    return Promise.resolve(velon.sign(DEMO.text, DEMO.keyPath, DEMO.certificate, false));
  }).then(function (signature) {
    console.log('-- signature --');
    console.log(signature);
    console.log('-- end of signature --');
  }).then(null, function (e) { console.log('failed: ' + (e && e.message ? e.message : e)); });
}
navigator.createPlugin('application/x-velon', { onload: 'ready' });
