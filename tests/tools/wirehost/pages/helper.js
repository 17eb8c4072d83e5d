console.log('helper script, divs:', document.getElementsByTagName('div').length);
