// The ids of generic runtime interfaces, checked against ids this toolchain's own headers
// record for a few instances (a scalar argument, a runtime class, an interface).
#include "menubar/runtime_type_id.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

constexpr const char* kAsyncOperation = "{9fc2b0bb-e446-44e2-aa61-9cab8f636af2}";
constexpr const char* kAsyncOperationCompleted = "{fcdcf02c-e5d8-4478-915a-4d90b74b83a5}";
constexpr const char* kVectorView = "{bbe1fa4c-b0e3-4583-baef-1f1b2e483e56}";

TEST(RuntimeTypeId, GenericInstancesGetTheIdsTheSystemGivesThem) {
    const struct {
        std::string signature;
        const char* expected;
    } cases[] = {
        {GenericSignature(kAsyncOperation, {"b1"}), "{cdb5efb3-5788-509d-9be1-71ccb8a3362a}"},
        {GenericSignature(kAsyncOperationCompleted, {"b1"}), "{c1d3d1a2-ae17-5a5f-b5a2-bdcc8844889a}"},
        {GenericSignature(kAsyncOperation, {ClassSignature("Windows.Media.SpeechSynthesis.SpeechSynthesisStream",
                                                           "{83e46e93-244c-4622-ba0b-6229c4d0d65d}")}),
         "{df9d48ad-9cea-560c-9edc-cb8852cb55e3}"},
        {GenericSignature(kVectorView, {"{1803def8-dca5-4b6f-9c20-e3d3c0643625}"}), "{b543562c-02b1-5824-80a8-9854130cdadd}"},
        // A completion handler of a runtime class, named with its default interface.
        {GenericSignature(kAsyncOperationCompleted, {ClassSignature("Windows.Media.SpeechSynthesis.SpeechSynthesisStream",
                                                                    "{83e46e93-244c-4622-ba0b-6229c4d0d65d}")}),
         "{c972b996-6165-50d4-af60-a8c3df51d092}"},
    };
    for (const auto& c : cases) EXPECT_EQ(TypeIdText(ParameterizedTypeId(c.signature)), c.expected) << c.signature;
}

TEST(RuntimeTypeId, TextRoundTripsAndMalformedTextIsRefused) {
    const auto id = ParseTypeId("{ABA0FB95-4398-489d-8e44-e6130927011f}");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->data1, 0xaba0fb95u);
    EXPECT_EQ(id->data2, 0x4398);
    EXPECT_EQ(id->data4[7], 0x1f);
    EXPECT_EQ(TypeIdText(*id), "{aba0fb95-4398-489d-8e44-e6130927011f}");
    EXPECT_EQ(ParseTypeId("aba0fb95-4398-489d-8e44-e6130927011f"), id);
    for (const char* bad : {"", "{aba0fb95-4398-489d-8e44-e6130927011}", "{aba0fb95x4398-489d-8e44-e6130927011f}",
                            "{aba0fb95-4398-489d-8e44-e6130927011g}", "{aba0fb95-4398-489d-8e44-e6130927011f"})
        EXPECT_FALSE(ParseTypeId(bad)) << bad;
}

} // namespace
} // namespace kestrana::menubar
