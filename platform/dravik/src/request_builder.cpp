#include "request_builder.h"

#include "dravik/dravik.h"
#include "engine.h"
#include "error.h"
#include "request_extensions.h"
#include "request_subject.h"

namespace dravik {
namespace {

struct ExtensionStackFree {
  void operator()(STACK_OF(X509_EXTENSION) * stack) const { sk_X509_EXTENSION_pop_free(stack, X509_EXTENSION_free); }
};
using ExtensionStack = std::unique_ptr<STACK_OF(X509_EXTENSION), ExtensionStackFree>;

template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, OsslDeleter<T, Free>>;

void freeObjects(STACK_OF(ASN1_OBJECT) * stack) { sk_ASN1_OBJECT_pop_free(stack, ASN1_OBJECT_free); }
void freePolicies(CERTIFICATEPOLICIES* policies) { CERTIFICATEPOLICIES_free(policies); }

// Encodes value as the extension nid and adds it to stack.
void add(ExtensionStack& stack, int nid, bool critical, void* value) {
  require(value != nullptr, DRAVIK_E_REQUEST_BUILD);
  X509_EXTENSION* extension = X509V3_EXT_i2d(nid, critical ? 1 : 0, value);
  require(extension != nullptr, DRAVIK_E_REQUEST_BUILD);
  if (sk_X509_EXTENSION_push(stack.get(), extension) <= 0) {
    X509_EXTENSION_free(extension);
    fail(DRAVIK_E_REQUEST_BUILD);
  }
}

ASN1_OBJECT* oid(const std::string& dotted) {
  ASN1_OBJECT* object = OBJ_txt2obj(dotted.c_str(), 1);
  require(object != nullptr, DRAVIK_E_REQUEST_BUILD);
  return object;
}

// Key usage bit n of the mask is bit n of the KeyUsage BIT STRING.
void addKeyUsage(ExtensionStack& stack, const RequestExtensions& e) {
  Owned<ASN1_BIT_STRING, ASN1_BIT_STRING_free> bits(ASN1_BIT_STRING_new());
  require(bits != nullptr, DRAVIK_E_MEMORY);
  for (int bit = 0; bit < 9; ++bit) {
    if (e.keyUsage & (1u << bit)) require(ASN1_BIT_STRING_set_bit(bits.get(), bit, 1) == 1, DRAVIK_E_MEMORY);
  }
  add(stack, NID_key_usage, e.keyUsageCritical, bits.get());
}

void addBasicConstraints(ExtensionStack& stack, const RequestExtensions& e) {
  BasicConstraintsPtr constraints(BASIC_CONSTRAINTS_new());
  require(constraints != nullptr, DRAVIK_E_MEMORY);
  constraints->ca = e.ca ? 0xFF : 0;
  add(stack, NID_basic_constraints, e.basicConstraintsCritical, constraints.get());
}

void addExtendedKeyUsage(ExtensionStack& stack, const RequestExtensions& e) {
  Owned<STACK_OF(ASN1_OBJECT), freeObjects> usages(sk_ASN1_OBJECT_new_null());
  require(usages != nullptr, DRAVIK_E_MEMORY);
  for (const std::string& usage : e.extendedKeyUsages) {
    ASN1_OBJECT* object = oid(usage);
    if (sk_ASN1_OBJECT_push(usages.get(), object) <= 0) {
      ASN1_OBJECT_free(object);
      fail(DRAVIK_E_MEMORY);
    }
  }
  add(stack, NID_ext_key_usage, e.extendedKeyUsageCritical, usages.get());
}

POLICYINFO* policyInfo(const CertificatePolicy& policy) {
  Owned<POLICYINFO, POLICYINFO_free> info(POLICYINFO_new());
  require(info != nullptr, DRAVIK_E_MEMORY);
  info->policyid = oid(policy.oid);
  if (!policy.cpsUri.empty()) {
    info->qualifiers = sk_POLICYQUALINFO_new_null();
    POLICYQUALINFO* qualifier = POLICYQUALINFO_new();
    require(info->qualifiers && qualifier, DRAVIK_E_MEMORY);
    if (sk_POLICYQUALINFO_push(info->qualifiers, qualifier) <= 0) {
      POLICYQUALINFO_free(qualifier);
      fail(DRAVIK_E_MEMORY);
    }
    qualifier->pqualid = OBJ_nid2obj(NID_id_qt_cps);
    qualifier->d.cpsuri = ASN1_IA5STRING_new();
    require(qualifier->d.cpsuri &&
                ASN1_STRING_set(qualifier->d.cpsuri, policy.cpsUri.data(), static_cast<int>(policy.cpsUri.size())) == 1,
            DRAVIK_E_MEMORY);
  }
  return info.release();
}

void addPolicies(ExtensionStack& stack, const RequestExtensions& e) {
  Owned<CERTIFICATEPOLICIES, freePolicies> policies(sk_POLICYINFO_new_null());
  require(policies != nullptr, DRAVIK_E_MEMORY);
  for (const CertificatePolicy& policy : e.policies) {
    POLICYINFO* info = policyInfo(policy);
    if (sk_POLICYINFO_push(policies.get(), info) <= 0) {
      POLICYINFO_free(info);
      fail(DRAVIK_E_MEMORY);
    }
  }
  add(stack, NID_certificate_policies, false, policies.get());
}

void addSubjectSignTool(ExtensionStack& stack) {
  Owned<ASN1_UTF8STRING, ASN1_UTF8STRING_free> tool(ASN1_UTF8STRING_new());
  require(tool && ASN1_STRING_set(tool.get(), kSubjectSignTool, -1) == 1, DRAVIK_E_MEMORY);
  add(stack, NID_subjectSignTool, false, tool.get());
}

ExtensionStack requestedExtensions() {
  const RequestExtensions& e = requestExtensions();
  ExtensionStack stack(sk_X509_EXTENSION_new_null());
  require(stack != nullptr, DRAVIK_E_MEMORY);
  if (e.keyUsage) addKeyUsage(stack, e);
  if (e.hasBasicConstraints) addBasicConstraints(stack, e);
  if (!e.extendedKeyUsages.empty()) addExtendedKeyUsage(stack, e);
  if (!e.policies.empty()) addPolicies(stack, e);
  if (e.subjectSignTool) addSubjectSignTool(stack);
  return stack;
}

}  // namespace

ReqPtr buildRequest(EVP_PKEY* key) {
  ReqPtr request(X509_REQ_new());
  require(request != nullptr, DRAVIK_E_MEMORY);
  require(X509_REQ_set_version(request.get(), X509_REQ_VERSION_1) == 1 &&
              X509_REQ_set_subject_name(request.get(), requestSubject()) == 1 &&
              X509_REQ_set_pubkey(request.get(), key) == 1,
          DRAVIK_E_REQUEST_BUILD);
  ExtensionStack extensions = requestedExtensions();
  if (sk_X509_EXTENSION_num(extensions.get()) > 0)
    require(X509_REQ_add_extensions(request.get(), extensions.get()) == 1, DRAVIK_E_REQUEST_BUILD);
  require(X509_REQ_sign(request.get(), key, signingDigest(key)) > 0, DRAVIK_E_REQUEST_SIGN);
  return request;
}

}  // namespace dravik
