/*
 * dravik: the signature library (PKCS#7/CMS signing, certificates, trust,
 * key containers and tokens) over OpenSSL 3 and its GOST engine.
 *
 * ---------------------------------------------------------------------------
 * Storage layout (for the plug-in and for whoever extends the library)
 * ---------------------------------------------------------------------------
 * Home folder: the environment variable DRAVIK_HOME, else "$HOME/.dravik"
 * (the password database's home folder when HOME is unset). It is read when
 * the library is initialised (PKCS7Init) and holds only the simulated tokens:
 *
 *   <home>/tokens/<device>/            one token; <device> is the device path
 *                                      with every byte outside [A-Za-z0-9._-]
 *                                      written as %XX ("etoken0:" is
 *                                      "etoken0%3A", "pkcs110:\rtPKCS11ECP"
 *                                      is "pkcs110%3A%5CrtPKCS11ECP")
 *   <home>/tokens/<device>/token.conf  key=value lines: label, serial, slot,
 *                                      present (1 or 0), pin-salt,
 *                                      pin-iterations, pin-verifier
 *   <home>/tokens/<device>/<name>/     a key container on the token
 *   <home>/tokens/<device>/<name>.cer  a certificate on the token (DER)
 *
 * A path on a token is the device path, a backslash and the path inside the
 * token ("etoken0:\work", "pkcs110:\rtPKCS11ECP\work\key01.key"). A device
 * path is a text that starts, ignoring case, with "etoken", "aks ifdh",
 * "aladdin token jc", "rutoken", "aktiv co. rutoken" or "pkcs11" and holds a
 * colon; a "pkcs11..." device path runs to the second backslash-separated
 * part ("pkcs110:\rtPKCS11ECP"), any other to its first colon ("etoken0:").
 * Every other path is a path of the file system.
 *
 * Key container (on disk or on a token): a folder holding
 *   container.conf   key=value lines: format=dravik-container-1, kdf=
 *                    pbkdf2-sha256, iterations, salt (hex) and verifier (hex:
 *                    PBKDF2-HMAC-SHA256 of the container password). The
 *                    verifier tells a wrong password from a damaged key.
 *   <name>.key       private keys, each an encrypted PKCS#8 PEM file
 *   keys/<name>.key  ("ENCRYPTED PRIVATE KEY", PBES2 with AES-256-CBC) under
 *                    the container password. Any number; the one whose public
 *                    key matches the signer's certificate is used. Key
 *                    generation names them key01.key, key02.key, ... unless
 *                    told a key file; every key file is readable by its owner
 *                    only.
 * Containers are created with an empty password when the user wants none;
 * the library tries the empty password silently before it asks. A container
 * on a token made without a password has the empty one: the token's PIN
 * guards it.
 * Standalone key file: any file with a PKCS#8 private key, encrypted ("ENCRYPTED
 * PRIVATE KEY", under its own password) or not ("PRIVATE KEY", PEM or DER).
 * Key generation writes a key into a key file it is told to (outside the
 * container too) under the container's password, so that one password opens
 * both ways to it.
 * On the file system a backslash separates folders as a slash does, so that
 * paths put together the Windows way ("<container>\keys\a.key") work.
 *
 * ---------------------------------------------------------------------------
 * Conventions
 * ---------------------------------------------------------------------------
 * - int results: 0 is success, any other value one of the DRAVIK_E_* codes
 *   below. The few functions that answer yes/no (TokenInserted, FileExists,
 *   CADB_is_dir, LogoutToken, CADB_by_dir, CertAndPSEPrivateKeysMatchBuffer)
 *   or a count (GetX509NameAttributeNumber) say so in their description; they
 *   answer 0 on failure, with the code in the last error (0 there when the
 *   answer is a real no or none).
 * - Pointer results: NULL on failure; GetDravikLastError() then gives the code.
 * - The last error is kept per thread and reset to 0 on entry to every
 *   function except GetDravikLastError, GetKeyFileNameForPassword and the
 *   release functions, so that it can still be read after cleaning up.
 * - Every function but the release functions, GetDravikLastError,
 *   GetKeyFileNameForPassword, PKCS7Init and PKCS7Final needs an initialised
 *   library: before PKCS7Init it fails with DRAVIK_E_NOT_INITIALISED (161).
 * - A NULL pointer where a value is required gives DRAVIK_E_NULL_PARAM (159).
 * - Ownership: every buffer, text, context and record the library hands out
 *   belongs to the caller, who releases it with the function named in its
 *   description. All release functions accept NULL and ignore handles the
 *   library did not hand out (or that were released already).
 * - Strings passed in are NUL-terminated and in the input code page; texts
 *   handed out are NUL-terminated and in the output code page.
 * - Settings, callbacks, loaded trust material, cached passwords and keys and
 *   token logins are process-wide. Calls are serialised by one process-wide
 *   lock; callbacks run on the calling thread, inside the call that needs
 *   them, and may call GetKeyFileNameForPassword.
 */
#ifndef DRAVIK_DRAVIK_H
#define DRAVIK_DRAVIK_H

#include <stdint.h>

#if defined(__GNUC__)
#define DRAVIK_API __attribute__((visibility("default")))
#else
#define DRAVIK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Result codes                                                              */
/* ------------------------------------------------------------------------ */
#define DRAVIK_OK 0
/* 2..28: certificate verification (see DRAVIK_VERIFY_* below); 2-23 are
 * OpenSSL's verification errors of the same numbers. */
#define DRAVIK_E_VERIFY_NO_ISSUER 2             /* issuer certificate not found        */
#define DRAVIK_E_VERIFY_NO_CRL 3                /* no CRL of the issuer is loaded      */
#define DRAVIK_E_VERIFY_CERT_SIGNATURE_UNREADABLE 4
#define DRAVIK_E_VERIFY_CRL_SIGNATURE_UNREADABLE 5
#define DRAVIK_E_VERIFY_BAD_ISSUER_KEY 6        /* issuer's public key unreadable      */
#define DRAVIK_E_VERIFY_CERT_SIGNATURE 7        /* certificate signature is wrong      */
#define DRAVIK_E_VERIFY_CRL_SIGNATURE 8         /* CRL signature is wrong              */
#define DRAVIK_E_VERIFY_NOT_YET_VALID 9         /* certificate not valid yet           */
#define DRAVIK_E_VERIFY_EXPIRED 10              /* certificate expired                 */
#define DRAVIK_E_VERIFY_CRL_NOT_YET_VALID 11    /* CRL not valid yet                   */
#define DRAVIK_E_VERIFY_CRL_EXPIRED 12          /* CRL expired                         */
#define DRAVIK_E_VERIFY_ERROR_NOT_BEFORE 13     /* malformed "valid from"              */
#define DRAVIK_E_VERIFY_ERROR_NOT_AFTER 14      /* malformed "valid until"             */
#define DRAVIK_E_VERIFY_ERROR_CRL_LAST_UPDATE 15
#define DRAVIK_E_VERIFY_ERROR_CRL_NEXT_UPDATE 16
#define DRAVIK_E_VERIFY_OUT_OF_MEMORY 17
#define DRAVIK_E_VERIFY_SELF_SIGNED 18          /* self-signed certificate, untrusted  */
#define DRAVIK_E_VERIFY_SELF_SIGNED_IN_CHAIN 19 /* untrusted self-signed root          */
#define DRAVIK_E_VERIFY_UNTRUSTED_ISSUER 20     /* issuing CA not among the loaded CAs */
#define DRAVIK_E_VERIFY_LEAF_SIGNATURE 21       /* first certificate cannot be checked */
#define DRAVIK_E_VERIFY_CHAIN_TOO_LONG 22       /* chain too long, or it loops         */
#define DRAVIK_E_VERIFY_REVOKED 23              /* certificate revoked                 */
#define DRAVIK_E_VERIFY_UNTRUSTED 24            /* chain rejected for another reason   */
#define DRAVIK_E_VERIFY_CRITICAL_EXTENSION 25   /* unknown critical extension          */
#define DRAVIK_E_VERIFY_CRITICAL_CRL_EXTENSION 26 /* unknown critical CRL extension    */
#define DRAVIK_E_VERIFY_KEY_USAGE 27            /* key usage/purpose does not allow it */
#define DRAVIK_E_VERIFY_NOT_CA 28               /* an issuer in the chain is not a CA  */
/* Library codes. */
#define DRAVIK_E_MEMORY 103           /* memory allocation error                    */
#define DRAVIK_E_KEY_READ 107         /* key file: wrong password or unreadable key */
#define DRAVIK_E_HASH_ALGORITHM 108   /* no digest for the key's algorithm          */
#define DRAVIK_E_READ_INPUT 112       /* input data or file cannot be read          */
#define DRAVIK_E_WRITE_OUTPUT 114     /* output cannot be written                   */
#define DRAVIK_E_NO_SIGNER 115        /* the signing context has no signer          */
#define DRAVIK_E_SIGN_INIT 118        /* the signature cannot be started            */
#define DRAVIK_E_SIGN_FINAL 119       /* the signature cannot be made               */
#define DRAVIK_E_ASN1_ENCODE 122      /* encoding error                             */
#define DRAVIK_E_ASN1_DECODE 123      /* decoding error (an encoded Name, say)      */
#define DRAVIK_E_KEY_WRITE 143        /* a new private key cannot be written        */
#define DRAVIK_E_KEY_GENERATION 144   /* key pair generation failed                 */
#define DRAVIK_E_NAME_FORMAT 145      /* unknown name attribute or unfit value      */
#define DRAVIK_E_REQUEST_SIGN 147     /* the certificate request cannot be signed   */
#define DRAVIK_E_REQUEST_FILE 148     /* no certificate request file given          */
#define DRAVIK_E_REQUEST_WRITE 149    /* the request file cannot be written         */
#define DRAVIK_E_CRL_READ 153         /* no CRL could be read from the path         */
#define DRAVIK_E_NULL_PARAM 159       /* NULL pointer in a parameter                */
#define DRAVIK_E_BUFFER_TOO_SMALL 160 /* the caller's buffer is too small           */
#define DRAVIK_E_NOT_INITIALISED 161  /* PKCS7Init has not been called              */
#define DRAVIK_E_KEY_ALGORITHM 167    /* unknown key algorithm, or an unfit length  */
#define DRAVIK_E_CERT_READ 166        /* certificate file cannot be read            */
#define DRAVIK_E_CONTAINER_KEY 168    /* key in a container is damaged              */
#define DRAVIK_E_CONTAINER 169        /* wrong container password, or no container  */
#define DRAVIK_E_KEY_COPY 170         /* a container cannot be copied there         */
#define DRAVIK_E_ENGINE 178           /* the GOST engine cannot be loaded           */
#define DRAVIK_E_CONTAINER_CREATE 179 /* a container cannot be created there        */
#define DRAVIK_E_KEYS_EXIST 180       /* a container exists there already           */
#define DRAVIK_E_REQUEST_BUILD 182    /* the certificate request cannot be made     */
#define DRAVIK_E_CA_ADD 183           /* no CA certificate could be loaded          */
#define DRAVIK_E_ABORTED 184          /* cancelled, or too many attempts            */
#define DRAVIK_E_REQUEST_DECODE 185   /* certificate request cannot be decoded      */
#define DRAVIK_E_CERT_DECODE 186      /* certificate cannot be decoded              */
#define DRAVIK_E_CRL_DECODE 187       /* CRL cannot be decoded                      */
#define DRAVIK_E_REQUEST_ENCODE 188
#define DRAVIK_E_CERT_ENCODE 189
#define DRAVIK_E_CRL_ENCODE 190
#define DRAVIK_E_KEY_DECODE 191       /* key file is not a private key              */
#define DRAVIK_E_FILE_EXISTS 195      /* the target already holds the object        */
#define DRAVIK_E_CA_FILE_MISSING 196  /* path of trust material does not exist      */
#define DRAVIK_E_REQUEST_READ 197     /* request file cannot be read                */
#define DRAVIK_E_REQUEST_HASH 198     /* request fingerprint cannot be made         */
#define DRAVIK_E_PRINT 201            /* request text cannot be made                */
#define DRAVIK_E_EXTENSION_PARSE 204  /* malformed extension value (an OID, say)    */
#define DRAVIK_E_NO_SUCH_VALUE 205    /* the certificate has no such value          */
#define DRAVIK_E_INDEX 206            /* index beyond the list                      */
#define DRAVIK_E_PARAMETER 207        /* unknown kind, format, code or setting      */
#define DRAVIK_E_OPEN 208             /* token or object cannot be opened           */
#define DRAVIK_E_INTERNAL 212         /* unexpected failure inside the library      */
#define DRAVIK_E_KEY_NOT_LOADED 215   /* no loaded private key fits the certificate */
#define DRAVIK_E_WRITE_OBJECTS 216    /* objects cannot be written                  */

/* ------------------------------------------------------------------------ */
/* Constants                                                                 */
/* ------------------------------------------------------------------------ */
/* Code pages (SetInputCodePage, SetOutputCodePage). */
#define DRAVIK_CP_SYSTEM 0 /* the system code page: UTF-8 on this platform */
#define DRAVIK_CP_UTF8 5

/* Formats (SetOutputFormat, ConvertEncodedObject). */
#define DRAVIK_FORMAT_DER 1
#define DRAVIK_FORMAT_PEM 3    /* with a final line feed                       */
#define DRAVIK_FORMAT_BASE64 6 /* standard alphabet, "=" padding, no line breaks */

/* Object kinds (ConvertEncodedObject). Input in DER, PEM or Base64 is
 * recognised by its content. */
#define DRAVIK_OBJECT_REQUEST 1     /* PKCS#10 certificate request */
#define DRAVIK_OBJECT_CERTIFICATE 2 /* X.509 certificate           */
#define DRAVIK_OBJECT_CRL 3         /* X.509 CRL                   */

/* Sources (DK_GetCertificateContext, AddSigner). */
#define DRAVIK_SOURCE_NAME 0  /* a NUL-terminated file or token path; length 0 */
#define DRAVIK_SOURCE_BYTES 4 /* bytes in memory with their count              */

/* SignBufferEx modes. */
#define DRAVIK_SIGN_ATTACHED 0 /* the data travels inside the signature */
#define DRAVIK_SIGN_DETACHED 1 /* the signature alone                   */

/* PKCS#7 flags (SetPKCS7Flags). Bits not listed are kept and have no effect. */
#define DRAVIK_PKCS7_NO_SMIME_CAPABILITIES 0x4 /* leave the S/MIME capabilities
                                                  attribute out (keys on
                                                  tokens that sign on chip) */

/* Certificate verification flags (SetCertificateVerifyFlags), used by
 * AddSigner. The certificate is checked at the verification time (now, unless
 * the test control sets another). Unknown bits are kept and ignored; 0 checks
 * nothing but the certificate's encoding.
 *   TIME          the certificate's own validity period: 9 not yet valid,
 *                 10 expired. Needs no trust material.
 *   CHAIN         a chain to a CA loaded by AddCAs, through certificates loaded
 *                 by AddCertificates: signatures, CA rights, key usage of the
 *                 CAs, critical extensions and the validity period of every
 *                 member (2, 4-7, 9, 10, 13, 14, 18-22, 24, 25, 27, 28).
 *   CRL           the certificate against its issuer's loaded CRL: 23 revoked,
 *                 3 no CRL of that issuer, 8, 11, 12, 15, 16, 26. Implies CHAIN.
 *   CRL_ALL       every certificate of the chain against CRLs. Implies CRL.
 *   PARTIAL_CHAIN a loaded CA that is not self-signed may end the chain.
 *                 Implies CHAIN.
 *   KEY_USAGE     a key usage extension, when present, must allow digital
 *                 signature or non-repudiation: 27.
 * The plug-in sets TIME while it adds a signer, CHAIN|CRL|CRL_ALL (0xE0) or
 * PARTIAL_CHAIN|KEY_USAGE (0x300) to check a certificate. */
#define DRAVIK_VERIFY_TIME 0x008
#define DRAVIK_VERIFY_CHAIN 0x020
#define DRAVIK_VERIFY_CRL 0x040
#define DRAVIK_VERIFY_CRL_ALL 0x080
#define DRAVIK_VERIFY_PARTIAL_CHAIN 0x100
#define DRAVIK_VERIFY_KEY_USAGE 0x200

/* Token information codes (GetTokenInfo). */
#define DRAVIK_TOKEN_LABEL 1
#define DRAVIK_TOKEN_SERIAL_NUMBER 2
#define DRAVIK_TOKEN_SLOT_NAME 3

/* Certificate-context parameters (DK_GetCertificateContextParam). */
#define DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS 5 /* two uint32_t in host order: cA
                                                 (1 or 0) and the path length
                                                 (0xFFFFFFFF: none); 205 when
                                                 the extension is absent      */
#define DRAVIK_CERT_PARAM_SUBJECT_NAME 7      /* the subject Name, DER         */
#define DRAVIK_CERT_PARAM_ENCODED 14          /* the whole certificate, DER    */
/* Request contexts (DK_GetRequestContextParam) answer the same two: 7 the
 * request's subject Name, 14 the whole request, both DER. */

/* Encapsulated content types of signatures (SetSignEncapsulatedContentType). */
#define DRAVIK_CONTENT_DATA 1 /* id-data: the data as given (the default)      */
#define DRAVIK_CONTENT_CMC 4  /* id-cct-PKIData: a CMC Full PKI Request made of
                                 the certificate request given as data       */

/* Key usage bits of certificate requests (SetKeyUsage): bit n is bit n of the
 * X.509 KeyUsage BIT STRING. */
#define DRAVIK_KEY_USAGE_DIGITAL_SIGNATURE 0x001
#define DRAVIK_KEY_USAGE_NON_REPUDIATION 0x002
#define DRAVIK_KEY_USAGE_KEY_ENCIPHERMENT 0x004
#define DRAVIK_KEY_USAGE_DATA_ENCIPHERMENT 0x008
#define DRAVIK_KEY_USAGE_KEY_AGREEMENT 0x010
#define DRAVIK_KEY_USAGE_KEY_CERT_SIGN 0x020
#define DRAVIK_KEY_USAGE_CRL_SIGN 0x040
#define DRAVIK_KEY_USAGE_ENCIPHER_ONLY 0x080
#define DRAVIK_KEY_USAGE_DECIPHER_ONLY 0x100

/* Name text formats (GetX509NameString). */
#define DRAVIK_NAME_RFC2253 1 /* as GetCertificateSubjectBuffer */

/* Size of the caller's buffer for CertAndPSEPrivateKeysMatchBuffer. */
#define DRAVIK_KEY_NAME_BUFFER 1024

/* CADB_by_dir walk flags. Several kinds may be combined. */
#define DRAVIK_WALK_RECURSIVE 0x01   /* descend into sub-folders                */
#define DRAVIK_WALK_ENTRIES 0x02     /* every entry, folders included           */
#define DRAVIK_WALK_CONTAINERS 0x04  /* key containers and key files            */
#define DRAVIK_WALK_CERTIFICATES 0x08 /* files that hold a certificate          */
#define DRAVIK_WALK_OBJECTS 0x10     /* files that are neither keys nor certificates */
#define DRAVIK_WALK_FILES 0x40       /* every file (the caller sorts them out)  */

/* Password callbacks get a buffer of this many bytes. */
#define DRAVIK_PASSWORD_BUFFER 256
/* Prompts (password, PIN, device) per call before DRAVIK_E_ABORTED. */
#define DRAVIK_MAX_PROMPTS 10

/* ------------------------------------------------------------------------ */
/* Types                                                                     */
/* ------------------------------------------------------------------------ */
typedef struct DravikSignContext DravikSignContext;
typedef struct DravikCertificateContext DravikCertificateContext;
typedef struct DravikRequestContext DravikRequestContext;

/* Filled by GetCertificateInfoBufferEx, released by FreeCertificateInfo.
 * Every field is a NUL-terminated text owned by the library. */
typedef struct DravikCertificateInfo {
  char* version;            /* "1", "2" or "3"                                  */
  char* serialNumber;       /* as GetCertificateSerialBuffer                    */
  char* subject;            /* as GetCertificateSubjectBuffer                   */
  char* issuer;             /* as GetCertificateIssuerBuffer                    */
  char* notBefore;          /* as GetCertificateNotBeforeBuffer                 */
  char* notAfter;           /* as GetCertificateNotAfterBuffer                  */
  char* fingerprint;        /* as GetCertFingerprintBuffer                      */
  char* publicKeyAlgorithm; /* OpenSSL short name, e.g. "gost2012_256", "rsaEncryption" */
} DravikCertificateInfo;

/* Filled by GetRequestInfoBuffer, released by FreeRequestInfo. Every field
 * is a NUL-terminated text owned by the library, never NULL. */
typedef struct DravikRequestInfo {
  char* version;            /* "1"                                               */
  char* subject;            /* RFC 2253, as GetCertificateSubjectBuffer          */
  char* publicKeyAlgorithm; /* OpenSSL short name, e.g. "gost2012_256"           */
  char* keyAlgorithm;       /* as GetPrivateKeyAlgorithm names the key's kind    */
  char* signatureAlgorithm; /* OpenSSL short name of the request's signature     */
  char* fingerprint;        /* as GetRequestFingerprintBuffer                    */
  char* signatureValid;     /* "1" when the request's signature verifies with its
                               own public key, else "0"                          */
  char* reserved1;          /* ""                                                */
  char* reserved2;          /* ""                                                */
  char* publicKey;          /* the subjectPublicKey bits, upper-case hex         */
  char* signature;          /* the signature bits, upper-case hex                */
  char* text;               /* the whole request in words, as "openssl req -text" */
} DravikRequestInfo;

/* Password callbacks: write the password (UTF-8, no terminating zero) into
 * buffer (size bytes) and return its length, or -1 to cancel. A result below
 * -1 or above size counts as cancelling. GetKeyFileNameForPassword names the
 * key file or container being opened. */
typedef int (*DravikPasswordCallback)(char* buffer, int size);
/* Token PIN callback: as above; attempt counts the prompts of this login from
 * 1; tokenName is the token's label (may be NULL). */
typedef int (*DravikTokenPinCallback)(char* buffer, int size, int attempt, const char* tokenName);
/* Error callbacks: return 1 to be asked for the password again, 0 to give up.
 * The private-key callback is called with 107, the PSE callback with 169. */
typedef int (*DravikErrorCallback)(int error);
/* Device request: the token at device is absent. Return 1 to look again,
 * 0 to give up. attempt counts the requests of this call from 1. */
typedef int (*DravikDeviceRequestCallback)(const char* device, int attempt);
/* CADB_by_dir: called once per reported entry with its name and the caller's
 * context. Return 1 to go on, 0 to stop the walk. */
typedef int (*DravikWalkCallback)(const char* name, void* context);

/* ------------------------------------------------------------------------ */
/* Library life cycle and last error                                         */
/* ------------------------------------------------------------------------ */
/* Initialises the library; calls are counted, and only the PKCS7Final that
 * matches the first PKCS7Init ends it. home: NULL for DRAVIK_HOME or the
 * default, else the home folder to use. reserved: 0. The first call loads
 * the GOST engine (from the environment variable DRAVIK_GOST_ENGINE when set,
 * else the system's engines folder) and sets the defaults: code pages 5,
 * output format PEM, signer certificate and signing time included, all flags
 * 0. 178 when the engine cannot be loaded (the count is then unchanged). */
DRAVIK_API int PKCS7Init(const char* home, int reserved);
/* Undoes one PKCS7Init. The last one drops the settings, callbacks, trust
 * material, cached passwords and keys and token logins; handles still held
 * stay valid for their release functions. 161 without a matching init. */
DRAVIK_API int PKCS7Final(void);
/* The code of the last failure on this thread; 0 when the last call
 * succeeded. */
DRAVIK_API int GetDravikLastError(void);

/* ------------------------------------------------------------------------ */
/* Settings (process-wide)                                                   */
/* ------------------------------------------------------------------------ */
/* DRAVIK_CP_UTF8 or DRAVIK_CP_SYSTEM; anything else 207. */
DRAVIK_API int SetInputCodePage(int codePage);
DRAVIK_API int SetOutputCodePage(int codePage);
/* Format of SignBufferEx output: DRAVIK_FORMAT_DER, _PEM or _BASE64; else 207. */
DRAVIK_API int SetOutputFormat(int format);
/* Non-zero: signatures carry the signer's certificate. */
DRAVIK_API int InsertCertificateToSign(int include);
/* Non-zero: signatures carry signed attributes with the signing time. 0: the
 * signature carries no signed attributes at all (the signing time cannot be
 * left out alone). */
DRAVIK_API int InsertSigningTimeToSign(int include);
DRAVIK_API int GetPKCS7Flags(uint32_t* flags);
DRAVIK_API int SetPKCS7Flags(uint32_t flags);
DRAVIK_API int GetCertificateVerifyFlags(uint32_t* flags);
DRAVIK_API int SetCertificateVerifyFlags(uint32_t flags);
/* Flags of certificate-request building: any value is accepted, kept and
 * reported back; no bit changes what this version writes. */
DRAVIK_API int GetCertificateRequestFlags(uint32_t* flags);
DRAVIK_API int SetCertificateRequestFlags(uint32_t flags);

/* ------------------------------------------------------------------------ */
/* The certificate request being built (process-wide)                        */
/* ------------------------------------------------------------------------ */
/* NewKeysGenerationEx writes every request from this description: the
 * subject name, then an extensionRequest attribute with, in this order, the
 * key usage, basic constraints, extended key usages, certificate policies
 * and subject sign tool that are set (none: no attribute). It persists
 * across requests until reset; PKCS7Final's last call resets it. */
/* Appends an attribute (its own RDN) to the subject. attribute: OpenSSL's
 * short or long name ("CN", "commonName", "INN", "SNILS", "OGRN") or a
 * dotted OID; value: UTF-8 text, encoded as the attribute's standard asks
 * (PrintableString for a country, NumericString for INN, UTF8String for
 * most). 145 for an unknown attribute, an empty value or one the attribute
 * cannot hold ("RUS" as a country, letters in an INN, invalid UTF-8). */
DRAVIK_API int SetDistinguishedNameAttribute(const char* attribute, const char* value);
/* Empties the subject. */
DRAVIK_API int ResetDistinguishedName(void);
/* Basic constraints: cA (0 or 1) and critical (0 or 1); replaces earlier. */
DRAVIK_API int SetBasicConstraints(int ca, int critical);
/* Appends an extended key usage given as a dotted OID ("1.3.6.1.5.5.7.3.4");
 * critical marks the whole extension critical. 204 for a malformed OID. */
DRAVIK_API int AddExtendedKeyUsage(const char* oid, int critical);
/* Key usage (DRAVIK_KEY_USAGE_* bits; 0 leaves the extension out) and
 * critical (0 or 1); replaces earlier. 207 for unknown bits. */
DRAVIK_API int SetKeyUsage(uint32_t usage, int critical);
/* Appends a certificate policy (dotted OID), with a CPS pointer qualifier
 * when cpsUri is not NULL (printable ASCII). Never critical. 204 for a
 * malformed OID or URI. */
DRAVIK_API int AddCertificatePolicy(const char* oid, const char* cpsUri);
/* Adds the subject-sign-tool extension (1.2.643.100.111, a UTF8String naming
 * this library: "dravik"), non-critical. */
DRAVIK_API int SetSubjectSignTool(void);
/* Drops every extension of the request being built (basic constraints,
 * extended key usages, key usage, policies, subject sign tool); the subject
 * stays. */
DRAVIK_API int ResetExtensions(void);

/* ------------------------------------------------------------------------ */
/* Callbacks (process-wide; NULL unregisters)                               */
/* ------------------------------------------------------------------------ */
DRAVIK_API int SetKeysPasswordCallbackFun(DravikPasswordCallback callback);
/* Asked for a new container password (PSE_Generation, PSE_ChangePassword)
 * when the caller gives none; GetKeyFileNameForPassword names the container. */
DRAVIK_API int SetKeysNewPasswordCallbackFun(DravikPasswordCallback callback);
DRAVIK_API int SetPrivateKeyErrorCallbackFun(DravikErrorCallback callback);
DRAVIK_API int SetPSEPasswordCallbackFun(DravikPasswordCallback callback);
DRAVIK_API int SetPSEErrorCallbackFun(DravikErrorCallback callback);
DRAVIK_API int SetTokenPinCallbackFun(DravikTokenPinCallback callback);
DRAVIK_API int CADB_set_device_request_callback(DravikDeviceRequestCallback callback);
/* During a password or PIN callback: the path of the container, key file or
 * token being opened (owned by the library, valid until the callback
 * returns); NULL outside a callback. */
DRAVIK_API const char* GetKeyFileNameForPassword(void);

/* ------------------------------------------------------------------------ */
/* Buffers                                                                   */
/* ------------------------------------------------------------------------ */
/* A buffer of size bytes (never NULL for size 0), zero-filled. */
DRAVIK_API char* AllocBuffer(uint32_t size);
/* Both release any buffer or text the library handed out. */
DRAVIK_API void BufferFree(void* buffer);
DRAVIK_API void FreeBuffer(void* buffer);

/* ------------------------------------------------------------------------ */
/* Keys                                                                      */
/* ------------------------------------------------------------------------ */
/* Loads the private key that belongs to certificate (DER, PEM or Base64) from
 * the container or key file at path, so that AddSigner finds it. password:
 * NULL to ask, else tried first. reserved: 0.
 * Container: the empty password and a cached one are tried silently, then the
 * PSE password callback is asked; a wrong password calls the PSE error
 * callback with 169 (1 asks again, 0 gives 169). Key file: the same with the
 * key password and private-key error callbacks and 107. Cancel, or
 * DRAVIK_MAX_PROMPTS prompts, give 184. A token path first needs the token
 * (device-request callback) and its PIN (PIN callback). 169 when there is no
 * container at path, 191 for a file that holds no key, 168 for a damaged key
 * in a container, 215 when no key there fits the certificate. Passwords and
 * keys are cached per path until ClearPrivateKeys. */
DRAVIK_API int AddPSEPrivateKeyFromBufferEx(const char* path, const char* password,
                                            const void* certificate, uint32_t certificateLength,
                                            int reserved);
/* Forgets every cached password and loaded key. */
DRAVIK_API int ClearPrivateKeys(void);
/* Forgets the password and keys cached for path alone (the text as it was
 * given to the call that cached them); the next call that needs them asks
 * again. A token's login stays: LogoutToken ends it. 0 also when nothing was
 * cached for path. */
DRAVIK_API int ClearPrivateKeysAt(const char* path);

/* The kind of the first key (in key-file name order) of the container or
 * key file at path, as a new text (release with BufferFree): the
 * parameter-set name SetNewKeysAlgorithm takes ("GOST3410-2012-256-XchA-
 * ParamSet"), "GOST3410-2012-256" or "GOST3410-2012-512" for a set without
 * such a name, "RSA", or OpenSSL's short name of another kind. reserved1,
 * reserved2: NULL. The container's password is found as by
 * AddPSEPrivateKeyFromBufferEx (password tried first, then the cached and the
 * empty ones, then the PSE callbacks); a standalone key file's is never asked
 * for: 107 when neither password nor the empty one opens it. NULL with 169
 * when there is no container (nothing is asked then), 215 for a container
 * without keys. The keys stay loaded. */
DRAVIK_API char* GetPrivateKeyAlgorithm(const char* path, const void* reserved1, const void* reserved2,
                                        const char* password);
/* Looks in the container or key file at path (opened as by
 * AddPSEPrivateKeyFromBufferEx with no password given) for the private key of
 * certificate (DER, PEM or Base64). Found: 1, and keyName (a caller buffer of
 * DRAVIK_KEY_NAME_BUFFER bytes) holds the key file's path, NUL-terminated: the
 * container's path joined with the key's name inside it ("/home/u/k1/
 * key01.key", "etoken0:\work\key01.key"), or path itself for a key file.
 * None: 0 with last error 0. Failure: 0 with the code (169, 184, 186, and
 * 160 when the name would not fit). The keys stay loaded. */
DRAVIK_API int CertAndPSEPrivateKeysMatchBuffer(const void* certificate, uint32_t length, const char* path,
                                                char* keyName);

/* ------------------------------------------------------------------------ */
/* Key generation and containers                                             */
/* ------------------------------------------------------------------------ */
/* The algorithm of keys generated from now on (process-wide), by name:
 *   "GOST3410-2012-256-A-ParamSet", "-B-", "-C-" (CryptoPro A, B, C),
 *   "GOST3410-2012-256-XchA-ParamSet", "-XchB-" (CryptoPro XchA, XchB),
 *   "TC26-GOST3410-2012-256-A-ParamSet" (TC 26 256-bit set A),
 *   "GOST3410-2012-512-A-ParamSet", "-B-", "-C-" (TC 26 512-bit sets),
 *   "RSA".
 * GOST R 34.10-2012 keys take the size of their set. Until set, and after the
 * last PKCS7Final: "GOST3410-2012-256-XchA-ParamSet". 167 for any other name,
 * the empty one included (the choice in force stays). */
DRAVIK_API int SetNewKeysAlgorithm(const char* name);
/* The length of RSA keys generated from now on, in bits (default 2048); GOST
 * keys ignore it. 167 outside 1..16384; generating an RSA key shorter than
 * 1024 bits fails with 167. */
DRAVIK_API int SetKeysLength(int bits);
/* Creates an empty key container at path (file system or token; a token path
 * needs the token and its login, and a name inside the token). password:
 * the container's password ("" for none); NULL asks the new-password
 * callback (184 without one or on cancel) - except on a token, where NULL
 * gives the container no password of its own. reserved: 0. createFolders:
 * non-zero creates missing parent folders, 0 requires the parent to exist.
 * 180 when a container is there already (it is left as it is), 179 when the
 * path is a file, the parent is missing or nothing can be written. The
 * password stays cached for path. */
DRAVIK_API int PSE_Generation(const char* path, int reserved, const char* password, int createFolders);
/* Generates a key pair of the algorithm in force into the container at path
 * and writes its certificate request to requestFile. The container's password
 * is found as by AddPSEPrivateKeyFromBufferEx (PSE callbacks; the one
 * PSE_Generation was given is cached). keyFile: NULL to store the key in the
 * container as its next keyNN.key, else the path (file system or token) of a
 * new key file for it, encrypted under the container's password; its folders
 * are made as needed. The request is PKCS#10 (version 1) with the subject and
 * extensions of the request being built and the new public key, signed by
 * the new key (GOST R 34.11-2012 of the key's size for GOST keys, SHA-256 for
 * RSA), in the output format (PEM label "CERTIFICATE REQUEST"); requestFile
 * (a file-system path) is created or overwritten. It is written before the
 * key is stored. reserved, reserved2: 0.
 * 169 no container, 184 cancelled, 148 no request file, 195 keyFile exists,
 * 167/144 key generation, 145 subject, 182/147 request, 149 request file
 * cannot be written, 143 key cannot be stored. */
DRAVIK_API int NewKeysGenerationEx(const char* path, int reserved, const char* keyFile, int reserved2,
                                   const char* requestFile);
/* Re-encrypts every key of the container at path under a new password and
 * replaces its verifier. The current password is found as by
 * AddPSEPrivateKeyFromBufferEx; newPassword NULL asks the new-password
 * callback ("" is the empty password). Everything is written beside the old
 * files before any replaces them, so that a failure (216) leaves the
 * container as it was. reserved: 0. 169 no container or wrong password given
 * up, 168 a damaged key, 184 cancelled. The new password is cached. */
DRAVIK_API int PSE_ChangePassword(const char* path, int reserved, const char* newPassword);
/* Copies the container at source (file system or token) to target, a folder
 * that holds no container yet, keeping the key files' names. sourcePassword:
 * tried first, then as by AddPSEPrivateKeyFromBufferEx. targetPassword: the
 * copy's password; NULL keeps the source's. Every key is decrypted and
 * re-encrypted (168 for a damaged one). 195 when target holds a container or
 * one of the key files already, 170 when the copy cannot be written (nothing
 * of it stays). The copy's password is cached for target. */
DRAVIK_API int PSE_Copy(const char* source, const char* sourcePassword, const char* target,
                        const char* targetPassword);

/* ------------------------------------------------------------------------ */
/* Signing                                                                   */
/* ------------------------------------------------------------------------ */
/* A new, empty signing context; release with FreeSignCTX. */
DRAVIK_API DravikSignContext* GetSignCTX(void);
DRAVIK_API void FreeSignCTX(DravikSignContext* context);
/* Sets the context's signer: the certificate (source DRAVIK_SOURCE_BYTES: the
 * bytes and *length; DRAVIK_SOURCE_NAME: a NUL-terminated path, length may be
 * NULL) is checked under the verification flags in force (DRAVIK_VERIFY_*;
 * a refusal gives its code 2-28) and takes the loaded private key that fits
 * it, if any. A second call replaces the signer. 159 for a NULL or released
 * context. */
DRAVIK_API int AddSigner(DravikSignContext* context, int source, const void* certificate,
                         uint32_t* length);
/* Signs length bytes of data as CMS SignedData (attached or detached by
 * mode) in the output format, with the signer certificate, signing time and
 * PKCS#7 flags in force. GOST R 34.10-2012 keys sign with GOST R 34.11-2012
 * of their size, RSA keys with SHA-256. *output (release with BufferFree) and
 * *outputLength are set to NULL and 0 first. 115 without a signer, 215
 * without its private key, 207 for an unknown mode, 159 for a NULL or
 * released context. */
DRAVIK_API int SignBufferEx(DravikSignContext* context, const void* data, uint32_t length,
                            char** output, uint32_t* outputLength, int mode);
/* The encapsulated content type of the context's signatures
 * (DRAVIK_CONTENT_*; a new context has DRAVIK_CONTENT_DATA). 207 for another,
 * 159 for a NULL or released context.
 * DRAVIK_CONTENT_CMC makes SignBufferEx produce a CMC Full PKI Request
 * (RFC 5272): the data must be a PKCS#10 request (DER, PEM or Base64; 185
 * otherwise), which becomes PKIData { controlSequence {}, reqSequence { tcr
 * [0] { bodyPartID 1, the request } }, cmsSequence {}, otherMsgSequence {} },
 * signed as CMS SignedData with eContentType id-cct-PKIData. The PKIData is
 * always encapsulated (the mode's detached form would leave the message
 * empty), and the signer info always has signed attributes (content type,
 * message digest, signing time), which CMS requires for this content type. */
DRAVIK_API int SetSignEncapsulatedContentType(DravikSignContext* context, int contentType);
/* A revocation request for the certificate of the context certificate: a CMC
 * message (RFC 5272) whose PKIData holds one control, id-cmc-revokeRequest
 * (bodyPartID 1), with RevokeRequest { issuerName and serialNumber of the
 * certificate, reason, passphrase, comment }.
 *   reason  a CRLReason: 0-6 or 8-10 (207 otherwise)
 *   text    the reason in words, or NULL/""; with comment it fills the
 *           comment field (text, a line feed, comment), UTF-8 (207 if not)
 *   secret  NULL/"": the request is signed (CMS SignedData, eContentType
 *           id-cct-PKIData) with the loaded private key of signer's
 *           certificate, or of the revoked certificate when signer is NULL
 *           (215 when that key is not loaded), and given in the output
 *           format. Else the shared secret goes into passphrase and the
 *           request is a SignedData without signers, always DER.
 * *output (release with FreeBuffer or BufferFree) and *outputLength are set
 * to NULL and 0 first. 159 for a NULL or released context. */
DRAVIK_API int MakeRevocationRequest(DravikCertificateContext* certificate, int reason, const char* text,
                                     const char* secret, const char* comment,
                                     DravikCertificateContext* signer, char** output,
                                     uint32_t* outputLength);

/* ------------------------------------------------------------------------ */
/* Certificates                                                              */
/* ------------------------------------------------------------------------ */
/* A certificate context from a path (DRAVIK_SOURCE_NAME, length 0) or from
 * bytes in DER, PEM or Base64 (DRAVIK_SOURCE_BYTES). NULL with 166 when the
 * file cannot be read, 186 when it holds no certificate, 207 for another
 * source. Release with DK_FreeCertificateContext. */
DRAVIK_API DravikCertificateContext* DK_GetCertificateContext(int source, const void* certificate,
                                                              uint32_t length);
DRAVIK_API void DK_FreeCertificateContext(DravikCertificateContext* context);
/* One value of the certificate (DRAVIK_CERT_PARAM_*) into a new buffer
 * (release with BufferFree); index must be 0. *value and *length are set to
 * NULL and 0 first. 205 when the certificate has no such value, 207 for an
 * unknown parameter, 206 for another index, 159 for a NULL or released
 * context. */
DRAVIK_API int DK_GetCertificateContextParam(DravikCertificateContext* context, int parameter,
                                             int index, char** value, uint32_t* length);

/* Property texts of a certificate given as bytes (DER, PEM or Base64); each a
 * new NUL-terminated UTF-8 text to release with BufferFree, NULL with the
 * code (186 for undecodable input) on failure.
 *   Subject, Issuer  the name as RFC 2253 ("CN=Test,O=Orvanta,C=RU": last
 *                    component first, comma separated, special characters
 *                    escaped with a backslash, non-ASCII as UTF-8)
 *   Serial           hexadecimal, upper case, two digits per byte ("01A3")
 *   NotBefore/After  UTC, "YYYY-MM-DDTHH:MM:SSZ"
 *   Fingerprint      SHA-1 of the DER form, 40 upper-case hex digits */
DRAVIK_API char* GetCertificateSubjectBuffer(const void* certificate, uint32_t length);
DRAVIK_API char* GetCertificateIssuerBuffer(const void* certificate, uint32_t length);
DRAVIK_API char* GetCertificateSerialBuffer(const void* certificate, uint32_t length);
DRAVIK_API char* GetCertificateNotBeforeBuffer(const void* certificate, uint32_t length);
DRAVIK_API char* GetCertificateNotAfterBuffer(const void* certificate, uint32_t length);
DRAVIK_API char* GetCertFingerprintBuffer(const void* certificate, uint32_t length);
/* Fills *info (zeroed first); release with FreeCertificateInfo, which also
 * accepts a record that was never filled. */
DRAVIK_API int GetCertificateInfoBufferEx(const void* certificate, uint32_t length,
                                          DravikCertificateInfo* info);
DRAVIK_API void FreeCertificateInfo(DravikCertificateInfo* info);

/* Re-encodes a request, certificate or CRL (DRAVIK_OBJECT_*) given in DER,
 * PEM or Base64 as DRAVIK_FORMAT_DER, _PEM or _BASE64 into *output (release
 * with BufferFree). reserved: 0. 185/186/187 for undecodable input, 207 for
 * an unknown kind or format. */
DRAVIK_API int ConvertEncodedObject(int kind, const void* input, uint32_t inputLength, int format,
                                    char** output, uint32_t* outputLength, int reserved);

/* ------------------------------------------------------------------------ */
/* Certificate requests and names                                            */
/* ------------------------------------------------------------------------ */
/* A request context from a file-system path (DRAVIK_SOURCE_NAME, length 0)
 * or bytes in DER, PEM or Base64 (DRAVIK_SOURCE_BYTES). NULL with 197 when
 * the file cannot be read, 185 when it holds no request, 207 for another
 * source. Release with DK_FreeRequestContext. */
DRAVIK_API DravikRequestContext* DK_GetRequestContext(int source, const void* request, uint32_t length);
DRAVIK_API void DK_FreeRequestContext(DravikRequestContext* context);
/* One value of the request into a new buffer (release with BufferFree):
 * DRAVIK_CERT_PARAM_SUBJECT_NAME (7) or DRAVIK_CERT_PARAM_ENCODED (14);
 * index 0. Codes as DK_GetCertificateContextParam. */
DRAVIK_API int DK_GetRequestContextParam(DravikRequestContext* context, int parameter, int index,
                                         char** value, uint32_t* length);
/* SHA-1 of the request's DER form, 40 upper-case hex digits (release with
 * BufferFree); NULL with 185 for undecodable input. */
DRAVIK_API char* GetRequestFingerprintBuffer(const void* request, uint32_t length);
/* Fills *info (zeroed first) from a request in DER, PEM or Base64; release
 * with FreeRequestInfo, which also accepts a record that was never filled.
 * 185 for undecodable input. */
DRAVIK_API int GetRequestInfoBuffer(const void* request, uint32_t length, DravikRequestInfo* info);
DRAVIK_API void FreeRequestInfo(DravikRequestInfo* info);

/* An X.509 Name in DER (as the subject-name parameters hand it out), one
 * whole Name and nothing after it (123 otherwise). Attributes are counted
 * one per AttributeTypeAndValue, in encoded order. */
/* The number of attributes: a count; 0 with last error 0 for an empty name. */
DRAVIK_API int GetX509NameAttributeNumber(const void* name, uint32_t length);
/* Attribute index's type as a dotted OID ("2.5.4.3") and its value as UTF-8,
 * each a new text (release with BufferFree); NULL with 206 for an index
 * beyond the list. The OID is accepted back by SetDistinguishedNameAttribute. */
DRAVIK_API char* GetX509NameAttributeOID(const void* name, uint32_t length, int index);
DRAVIK_API char* GetX509NameAttributeValue(const void* name, uint32_t length, int index);
/* The name as a text in format (DRAVIK_NAME_RFC2253; 207 otherwise), a new
 * text to release with BufferFree. */
DRAVIK_API char* GetX509NameString(const void* name, uint32_t length, int format);

/* ------------------------------------------------------------------------ */
/* Trust material (process-wide until the last PKCS7Final)                   */
/* ------------------------------------------------------------------------ */
/* Each takes a file (one or more objects, PEM, DER or Base64) or a folder
 * (every file in it; files that hold nothing of the kind are skipped).
 * 196 when the path does not exist; AddCAs 183, AddCertificates 166 and
 * AddCRLs 153 when nothing could be loaded from it. */
DRAVIK_API int AddCAs(const char* path);          /* trusted CA certificates     */
DRAVIK_API int AddCertificates(const char* path); /* untrusted chain certificates */
DRAVIK_API int AddCRLs(const char* path);         /* revocation lists            */

/* ------------------------------------------------------------------------ */
/* Files, folders and tokens                                                 */
/* ------------------------------------------------------------------------ */
/* Walks the folder or token at path and calls callback(name, context) for the
 * entries that flags (DRAVIK_WALK_*) select, in name order, folders before
 * their contents. Names are full paths: "<path>/<entry>" on the file system,
 * "<device>\<entry>" on a token (backslashes inside). Returns 1 when the walk
 * ran (also when the callback stopped it), 0 on failure with the last error:
 * 112 for a folder that cannot be read, 184 when an absent token is not
 * inserted. */
DRAVIK_API int CADB_by_dir(const char* path, int flags, DravikWalkCallback callback,
                           void* context);
/* 1 when the file-system or token path names a folder (a token's root
 * included), else 0. Asks for nothing. */
DRAVIK_API int CADB_is_dir(const char* path);
/* 1 when a file or folder exists at the file-system or token path (a token
 * path needs the token present), else 0. Asks for nothing. */
DRAVIK_API int FileExists(const char* path);
/* 1 when a token is present at the device path, else 0. */
DRAVIK_API int TokenInserted(const char* device);
/* Token information (DRAVIK_TOKEN_*) as a NUL-terminated text. With buffer
 * NULL, *size is set to the bytes needed (terminator included); otherwise the
 * text is written when *size is large enough (160 and the needed size in
 * *size when not). 208 when no token is present at device (no device request
 * is made), 207 for an unknown code. */
DRAVIK_API int GetTokenInfo(const char* device, int code, char* buffer, uint32_t* size);
/* Ends the login to the token at device (or the token of a path on it) and
 * forgets the keys and passwords cached from it. 1 on success, 0 when device
 * names no known token. */
DRAVIK_API int LogoutToken(const char* device);
/* Copies the certificate in the file sourceFile (DER, PEM or Base64) onto the
 * token at target (its root, or a container: "etoken0:\work") as
 * "<fingerprint>.cer" in DER, asking for the token and its PIN as needed. A
 * file-system folder as target receives the same file. replace: non-zero to
 * overwrite the same certificate, 0 to fail with 195 when it is there.
 * 166/186 for a source that cannot be read or holds no certificate, 208 when
 * the target folder does not exist. */
DRAVIK_API int CopyCertificate(const char* sourceFile, const char* target, int replace);

#ifdef __cplusplus
}
#endif

#endif /* DRAVIK_DRAVIK_H */
