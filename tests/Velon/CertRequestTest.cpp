// Certificate requests read and encoded, their properties, a certificate's
// subject copied into the request being built, and trust material loaded
// for certificate checks, with the real library.
#include "ApiFixture.h"

#include <algorithm>

#include "../platform/dravik/pki.h"

namespace velon_test {
namespace {

using dravik_test::KeyKind;
using dravik_test::Pki;

class Requests : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        pem = Pki::get().requestPem();
        char* raw = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(0, ConvertEncodedObject(DRAVIK_OBJECT_REQUEST, pem.data(), static_cast<uint32_t>(pem.size()),
                                          DRAVIK_FORMAT_DER, &raw, &length, 0));
        der.assign(raw, length);
        BufferFree(raw);
        dir.write("request.der", der);
        initialise();
        DravikTest_JournalClear();
    }

    std::string pem;
    std::string der;
};

TEST_F(Requests, ReadEncodedAndQueriedAsTheLibraryEncodes)
{
    const std::string base64 = VelonAPI::bin_to_base64(der);
    const struct {
        const char* method;
        std::string request;
        const char* argument;
        std::string expected;  // the answer's beginning; "hex" for upper-case hex digits
    } cases[] = {
        {"readCertRequest", dir.file("request.der"), nullptr, pem},
        {"readCertRequest", "/no/such/file", nullptr, "error: Failed to open file"},
        {"encodeCertRequest", der, "PEM", pem},
        {"encodeCertRequest", pem, "Base64", base64},
        {"encodeCertRequest", pem, "asn.1", "error: Wrong format of certificate request. Only BASE64 or PEM are accepted"},
        {"encodeCertRequest", "garbage", "pem", "error: Certificate Request decoding error"},
        {"getCertRequestProperty", pem, "SubJect", "CN=Requester"},
        {"getCertRequestProperty", der, "thumbprint", "hex"},
        {"getCertRequestProperty", pem, "version", "1"},
        {"getCertRequestProperty", base64, "publickey", "hex"},
        {"getCertRequestProperty", pem, "Text", "Certificate Request:"},
        {"getCertRequestProperty", pem, "subject ", "error: No such certificate property"},
        {"getCertRequestProperty", "garbage", "subject", "error: Certificate Request decoding error"},
        {"getCertRequestProperty", "garbage", "signature", "error: Certificate Request decoding error"},
    };
    for (const auto& c : cases) {
        PB::VariantList args{c.request};
        if (c.argument)
            args.push_back(c.argument);
        const std::string answer = call(c.method, args).text();
        if (c.expected == "hex")
            EXPECT_EQ(std::string::npos, answer.find_first_not_of("0123456789ABCDEF")) << answer;
        else
            EXPECT_EQ(c.expected, answer.substr(0, c.expected.size())) << c.method << " " << answer;
    }
    for (const test::LogLine& line : log->lines())
        EXPECT_EQ(std::string::npos, line.message.find("garbage")) << "requests are masked: " << line.message;
    EXPECT_EQ(40u, call("getCertRequestProperty", {pem, "thumbprint"}).text().size());
    EXPECT_EQ(2u, journal("DK_GetRequestContext").size()) << "only the subject needs a request context";
    DravikTest_ForceResult("GetX509NameString", 1, DRAVIK_E_PARAMETER);
    EXPECT_EQ("error: Specified parameter was not found", call("getCertRequestProperty", {pem, "subject"}).text());
}

TEST_F(Requests, CertificateSubjectIsAddedAttributeByAttribute)
{
    const std::string certificate = Pki::get().user(KeyKind::Gost256).certPem();
    EXPECT_EQ("0", call("resetCertRequestAttributes").text());
    EXPECT_EQ("0", call("setCertReqAttrsAsCert", {certificate}).text());
    std::vector<std::string> set;
    for (const DravikJournalEntry& entry : journal("SetDistinguishedNameAttribute"))
        set.push_back(entry.arguments);
    EXPECT_EQ((std::vector<std::string>{"attribute=\"2.5.4.6\", value=\"RU\"",
                                        "attribute=\"2.5.4.10\", value=\"Orvanta Test\"",
                                        "attribute=\"2.5.4.3\", value=\"User GOST 256\""}),
              set);

    struct Failure {
        const char* function;
        const char* page;
    } failures[] = {{"DK_GetCertificateContextParam", "error: Specified parameter was not found"},
                    {"GetX509NameAttributeOID", "error: Specified parameter was not found"},
                    {"GetX509NameAttributeValue", "error: Specified parameter was not found"},
                    {"SetDistinguishedNameAttribute", "error: Specified parameter was not found"}};
    for (const Failure& f : failures) {
        DravikTest_JournalClear();
        DravikTest_ForceResult(f.function, 1, DRAVIK_E_PARAMETER);
        EXPECT_EQ(f.page, call("setCertReqAttrsAsCert", {certificate}).text()) << f.function;
        EXPECT_EQ(0u, DravikTest_LiveBuffers()) << f.function;
        EXPECT_EQ(0u, DravikTest_LiveContexts()) << f.function;
        EXPECT_EQ(std::string(f.function) == "SetDistinguishedNameAttribute" ? 1u : 0u,
                  journal("SetDistinguishedNameAttribute").size())
            << "nothing is set from a certificate that was not read whole";
    }
    EXPECT_EQ("error: Certificate decoding error", call("setCertReqAttrsAsCert", {"junk"}).text());
}

TEST_F(Requests, ACertificateSubjectWithoutAttributesAddsNothing)
{
    dravik_test::CertificateShape shape;
    shape.emptySubject = true;
    const std::string certificate = dravik_test::makeIdentity(shape, &Pki::get().ca()).certPem();
    EXPECT_EQ("0", call("setCertReqAttrsAsCert", {certificate}).text());
    EXPECT_EQ(1u, journal("GetX509NameAttributeNumber").size());
    EXPECT_TRUE(journal("SetDistinguishedNameAttribute").empty());
    EXPECT_TRUE(logged("ERROR", "VelonAPI::setCertReqAttrsAsCert").empty());
    EXPECT_EQ(0u, DravikTest_LiveBuffers());
    EXPECT_EQ(0u, DravikTest_LiveContexts());
}

// The library's own reset is not tested; putting the default extensions back
// is, and stops at the first failure, keeping what was set before it (the
// basic constraints when the first key usage fails).
TEST_F(Requests, ResetsOfTheRequestBeingBuilt)
{
    struct ResetCase {
        const char* method;
        const char* forced;  // the library function made to fail
        uint32_t nth;
        const char* page;
        std::vector<std::string> calls;  // the library's request calls made, in order
    } cases[] = {
        {"resetCertRequestAttributes", "ResetDistinguishedName", 1, "0", {"ResetDistinguishedName"}},
        {"resetCertRequestExtensions", "ResetExtensions", 1, "0",
         {"ResetExtensions", "SetBasicConstraints", "AddExtendedKeyUsage", "AddExtendedKeyUsage"}},
        {"resetCertRequestExtensions", "AddExtendedKeyUsage", 1, "error: Specified parameter was not found",
         {"ResetExtensions", "SetBasicConstraints", "AddExtendedKeyUsage"}},
        {"resetCertRequestExtensions", "SetBasicConstraints", 1, "error: Specified parameter was not found",
         {"ResetExtensions", "SetBasicConstraints"}},
    };
    const std::vector<std::string> requestCalls = {"ResetDistinguishedName", "ResetExtensions",
                                                   "SetBasicConstraints", "AddExtendedKeyUsage"};
    for (const ResetCase& c : cases) {
        DravikTest_JournalClear();
        DravikTest_ForceResult(c.forced, c.nth, DRAVIK_E_PARAMETER);
        EXPECT_EQ(c.page, call(c.method).text()) << c.forced;
        std::vector<std::string> made;
        for (uint32_t i = 0; i < DravikTest_JournalSize(); ++i) {
            DravikJournalEntry entry{};
            DravikTest_JournalEntry(i, &entry);
            if (std::find(requestCalls.begin(), requestCalls.end(), entry.function) != requestCalls.end())
                made.push_back(entry.function);
        }
        EXPECT_EQ(c.calls, made) << c.forced;
    }
}

TEST_F(Requests, TrustMaterialDecidesCertificateChecks)
{
    dir.write("ca.pem", Pki::get().ca().certPem());
    dir.write("crl.pem", Pki::get().crlPem());
    dir.write("user.pem", Pki::get().user(KeyKind::Gost256).certPem());
    const std::string user = Pki::get().user(KeyKind::Gost256).certPem();
    const std::string revoked = Pki::get().revoked().certPem();
    struct Step {
        const char* method;
        PB::VariantList args;
        const char* expected;
    };
    const std::vector<Step> steps = {
        {"verifyCertificate", {user, true},
         "error: Required CA Certificate had not loaded in inner library repository (look at 4.5)"},
        {"loadTrustedCertificates", {dir.file("missing.pem")}, "error: File with CA Certificate was not found"},
        {"loadTrustedCertificates", {dir.file("crl.pem")}, "error: CA Certificate adding error"},
        {"loadTrustedCertificates", {dir.file("ca.pem")}, "0"},
        {"verifyCertificate", {user, false}, "0"},
        {"verifyCertificate", {revoked, true}, "error: Unable to get Certificate Revocation List"},
        {"loadCRLs", {dir.file("ca.pem")}, "error: Reading Certificate Revocation List error"},
        {"loadCRLs", {dir.file("crl.pem")}, "0"},
        {"verifyCertificate", {revoked, true}, "error: Certificate is canceled"},
        {"verifyCertificate", {user, true}, "0"},
        {"loadUntrustedCertificates", {dir.file("crl.pem")}, "error: Certificate reading error"},
        {"loadUntrustedCertificates", {dir.file("user.pem")}, "0"},
    };
    for (const Step& step : steps)
        EXPECT_EQ(step.expected, call(step.method, step.args).text()) << step.method;
    EXPECT_EQ(std::vector<std::string>{"Dravik::AddCRLs: Error 153"}, logged("ERROR", "VelonAPI::loadCRLs"));
}

}  // namespace
}  // namespace velon_test
