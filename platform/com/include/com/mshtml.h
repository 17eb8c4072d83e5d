// The page's objects as MSHTML and the WebBrowser control give them: window, document, element,
// node, element collection and the browser.
#pragma once

#include <com/dispatch.h>

struct IHTMLWindow2;
struct IHTMLElement;
struct IHTMLElementCollection;

struct IHTMLDocument2 : IDispatch {
  virtual HRESULT get_parentWindow(IHTMLWindow2** window) = 0;
  virtual HRESULT createElement(BSTR tag, IHTMLElement** element) = 0;
};
COM_DECLARE_IID(IHTMLDocument2,
                {0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}})

struct IHTMLDocument3 : IDispatch {
  // S_OK with a null element when no element has the id.
  virtual HRESULT getElementById(BSTR id, IHTMLElement** element) = 0;
  virtual HRESULT getElementsByTagName(BSTR tag, IHTMLElementCollection** elements) = 0;
};
COM_DECLARE_IID(IHTMLDocument3,
                {0x3050F485, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}})

struct IHTMLWindow2 : IDispatch {
  virtual HRESULT get_document(IHTMLDocument2** document) = 0;
  virtual HRESULT alert(BSTR message) = 0;
  virtual HRESULT execScript(BSTR code, BSTR language, VARIANT* result) = 0;
};
COM_DECLARE_IID(IHTMLWindow2,
                {0x332C4427, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}})

struct IHTMLElement : IDispatch {
  virtual HRESULT get_innerHTML(BSTR* html) = 0;
  virtual HRESULT put_innerHTML(BSTR html) = 0;
  // VT_NULL when the element has no such attribute.
  virtual HRESULT getAttribute(BSTR name, LONG flags, VARIANT* value) = 0;
};
COM_DECLARE_IID(IHTMLElement,
                {0x3050F1FF, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}})

struct IHTMLElement2 : IDispatch {
  virtual HRESULT getElementsByTagName(BSTR tag, IHTMLElementCollection** elements) = 0;
};
COM_DECLARE_IID(IHTMLElement2,
                {0x3050F434, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}})

struct IHTMLDOMNode : IDispatch {
  virtual HRESULT appendChild(IHTMLDOMNode* child, IHTMLDOMNode** added) = 0;
};
COM_DECLARE_IID(IHTMLDOMNode,
                {0x3050F5DA, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}})

struct IHTMLElementCollection : IDispatch {
  virtual HRESULT get_length(LONG* length) = 0;
  // By index (VT_I4 in name) or by id/name (VT_BSTR); S_OK with null past the end.
  virtual HRESULT item(VARIANT name, VARIANT index, IDispatch** element) = 0;
};
COM_DECLARE_IID(IHTMLElementCollection,
                {0x3050F21F, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}})

struct IWebBrowser2 : IDispatch {
  virtual HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                           VARIANT* headers) = 0;
  virtual HRESULT get_Document(IDispatch** document) = 0;
  virtual HRESULT get_LocationURL(BSTR* url) = 0;
};
COM_DECLARE_IID(IWebBrowser2,
                {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}})

// The service under which a site offers its IWebBrowser2.
inline constexpr GUID SID_SWebBrowserApp = {0x0002DF05, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
