#include "encoding.h"

#include <openssl/pem.h>

#include <cctype>
#include <cstring>

#include "api_call.h"
#include "buffers.h"

namespace dravik {
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

enum class Form { Pem, Der, Base64 };

Form formOf(const std::string& bytes) {
  if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == 0x30) return Form::Der;
  if (bytes.find("-----BEGIN ") != std::string::npos) return Form::Pem;
  return Form::Base64;
}

// Text forms may end in the zero byte of a C string; DER bytes stay as they
// are, since any byte value may end them.
std::string withoutTextEnd(const std::string& bytes) {
  std::string text = bytes;
  while (!text.empty() && (text.back() == '\0' || std::isspace(static_cast<unsigned char>(text.back()))))
    text.pop_back();
  return text;
}

// The DER bytes of an input in DER or Base64 form; empty when undecodable.
std::string derBytes(const std::string& bytes, Form form) {
  if (form == Form::Der) return bytes;
  return base64Decode(bytes).value_or(std::string());
}

template <typename T, typename Ptr>
Ptr decodeDer(const std::string& der, T* (*d2i)(T**, const unsigned char**, long)) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
  return Ptr(der.empty() ? nullptr : d2i(nullptr, &p, static_cast<long>(der.size())));
}

template <typename T, typename Ptr>
std::vector<Ptr> decodeAll(const std::string& input, T* (*d2i)(T**, const unsigned char**, long),
                           T* (*pemRead)(BIO*, T**, pem_password_cb*, void*)) {
  std::vector<Ptr> objects;
  Form form = formOf(input);
  std::string bytes = form == Form::Der ? input : withoutTextEnd(input);
  if (form == Form::Pem) {
    BioPtr bio = readOnlyBio(bytes.data(), bytes.size());
    // Each read skips blocks of other kinds; the end of the text, or a
    // malformed block, ends the list.
    while (Ptr object = Ptr(pemRead(bio.get(), nullptr, nullptr, nullptr))) objects.push_back(std::move(object));
    return objects;
  }
  Ptr object = decodeDer<T, Ptr>(derBytes(bytes, form), d2i);
  if (object) objects.push_back(std::move(object));
  return objects;
}

template <typename T, typename Ptr>
Ptr decodeOne(const void* data, size_t length, T* (*d2i)(T**, const unsigned char**, long),
              T* (*pemRead)(BIO*, T**, pem_password_cb*, void*), int code) {
  require(data != nullptr || length == 0, DRAVIK_E_NULL_PARAM);
  std::string input(static_cast<const char*>(data), data ? length : 0);
  std::vector<Ptr> objects = decodeAll<T, Ptr>(input, d2i, pemRead);
  if (objects.empty()) fail(code);
  return std::move(objects.front());
}

template <typename T>
std::string toDer(T* object, int (*i2d)(const T*, unsigned char**), int code) {
  unsigned char* der = nullptr;
  int length = i2d(object, &der);
  if (length <= 0) fail(code);
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(length));
  OPENSSL_free(der);
  return bytes;
}

const char* pemLabel(int kind) {
  switch (kind) {
    case DRAVIK_OBJECT_REQUEST:
      return PEM_STRING_X509_REQ;
    case DRAVIK_OBJECT_CERTIFICATE:
      return PEM_STRING_X509;
    case DRAVIK_OBJECT_CRL:
      return PEM_STRING_X509_CRL;
    default:
      fail(DRAVIK_E_PARAMETER);
  }
}

// The object re-encoded as DER, so that a malformed input never passes
// through unchanged.
std::string canonicalDer(int kind, const void* data, size_t length) {
  switch (kind) {
    case DRAVIK_OBJECT_REQUEST:
      return derOf(decodeRequest(data, length).get());
    case DRAVIK_OBJECT_CERTIFICATE:
      return derOf(decodeCertificate(data, length).get());
    default:
      return derOf(decodeCrl(data, length).get());
  }
}

}  // namespace

X509Ptr decodeCertificate(const void* data, size_t length) {
  return decodeOne<X509, X509Ptr>(data, length, d2i_X509, PEM_read_bio_X509, DRAVIK_E_CERT_DECODE);
}

CrlPtr decodeCrl(const void* data, size_t length) {
  return decodeOne<X509_CRL, CrlPtr>(data, length, d2i_X509_CRL, PEM_read_bio_X509_CRL, DRAVIK_E_CRL_DECODE);
}

ReqPtr decodeRequest(const void* data, size_t length) {
  return decodeOne<X509_REQ, ReqPtr>(data, length, d2i_X509_REQ, PEM_read_bio_X509_REQ,
                                     DRAVIK_E_REQUEST_DECODE);
}

std::vector<X509Ptr> decodeCertificates(const std::string& input) {
  return decodeAll<X509, X509Ptr>(input, d2i_X509, PEM_read_bio_X509);
}

std::vector<CrlPtr> decodeCrls(const std::string& input) {
  return decodeAll<X509_CRL, CrlPtr>(input, d2i_X509_CRL, PEM_read_bio_X509_CRL);
}

std::string derOf(X509* certificate) { return toDer(certificate, i2d_X509, DRAVIK_E_CERT_ENCODE); }
std::string derOf(X509_CRL* crl) { return toDer(crl, i2d_X509_CRL, DRAVIK_E_CRL_ENCODE); }
std::string derOf(X509_REQ* request) { return toDer(request, i2d_X509_REQ, DRAVIK_E_REQUEST_ENCODE); }

std::string encodeAs(const std::string& der, const char* pemLabel, int format) {
  switch (format) {
    case DRAVIK_FORMAT_DER:
      return der;
    case DRAVIK_FORMAT_BASE64:
      return base64Encode(der);
    case DRAVIK_FORMAT_PEM: {
      BioPtr bio(BIO_new(BIO_s_mem()));
      require(bio != nullptr, DRAVIK_E_MEMORY);
      require(PEM_write_bio(bio.get(), pemLabel, "", reinterpret_cast<const unsigned char*>(der.data()),
                            static_cast<long>(der.size())) > 0,
              DRAVIK_E_ASN1_ENCODE);
      return bioBytes(bio.get());
    }
    default:
      fail(DRAVIK_E_PARAMETER);
  }
}

std::string base64Encode(const std::string& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  auto byte = [&](size_t n) { return static_cast<unsigned char>(bytes[n]); };
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned value = (byte(i) << 16) | (byte(i + 1) << 8) | byte(i + 2);
    for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(value >> shift) & 0x3F];
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned value = byte(i) << 16;
    if (rest == 2) value |= byte(i + 1) << 8;
    text += kAlphabet[(value >> 18) & 0x3F];
    text += kAlphabet[(value >> 12) & 0x3F];
    text += rest == 2 ? kAlphabet[(value >> 6) & 0x3F] : '=';
    text += '=';
  }
  return text;
}

std::optional<std::string> base64Decode(const std::string& text) {
  std::string clean;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    clean += c;
  }
  if (clean.empty() || clean.size() % 4 != 0) return std::nullopt;
  size_t padding = 0;
  if (clean.back() == '=') ++padding;
  if (clean.size() >= 2 && clean[clean.size() - 2] == '=') ++padding;
  std::string bytes;
  bytes.reserve(clean.size() / 4 * 3);
  unsigned value = 0;
  int bits = 0;
  for (size_t i = 0; i < clean.size() - padding; ++i) {
    const char* at = std::strchr(kAlphabet, clean[i]);
    if (!at || clean[i] == '\0') return std::nullopt;
    value = (value << 6) | static_cast<unsigned>(at - kAlphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((value >> bits) & 0xFF);
    }
  }
  return bytes;
}

std::string hexUpper(const unsigned char* bytes, size_t length) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int ConvertEncodedObject(int kind, const void* input, uint32_t inputLength, int format,
                                               char** output, uint32_t* outputLength, int reserved) {
  Args args;
  args.number("kind", kind).bytes("input", input, inputLength).number("format", format).handle("output", output);
  args.handle("outputLength", outputLength).number("reserved", reserved);
  return callInt("ConvertEncodedObject", Needs::Init, args, [&] {
    require(output != nullptr && outputLength != nullptr, DRAVIK_E_NULL_PARAM);
    *output = nullptr;
    *outputLength = 0;
    require(input != nullptr, DRAVIK_E_NULL_PARAM);
    const char* label = pemLabel(kind);
    require(format == DRAVIK_FORMAT_DER || format == DRAVIK_FORMAT_PEM || format == DRAVIK_FORMAT_BASE64,
            DRAVIK_E_PARAMETER);
    std::string der = canonicalDer(kind, input, inputLength);
    handOut(encodeAs(der, label, format), output, outputLength);
    return 0;
  });
}
