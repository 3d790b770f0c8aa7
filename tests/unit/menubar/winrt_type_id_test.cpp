// Ids of generic runtime interface instances, checked against ids the system's headers
// publish, and the digest under them against the standard's test vectors.
#include "menubar/winrt_type_id.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kestrana::menubar {
namespace {

std::string Hex(const std::array<std::uint8_t, 20>& digest) {
    std::string text;
    char two[3];
    for (auto b : digest) {
        std::snprintf(two, sizeof two, "%02x", b);
        text += two;
    }
    return text;
}

std::string Text(const TypeId& id) {
    char text[40];
    std::snprintf(text, sizeof text, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", id.data1, id.data2, id.data3,
                  id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5], id.data4[6], id.data4[7]);
    return text;
}

TEST(Sha1, StandardTestVectors) {
    EXPECT_EQ(Hex(Sha1("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Hex(Sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // Two blocks, and a message that fills the first one up to its length field.
    EXPECT_EQ(Hex(Sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Hex(Sha1(std::string(1000, 'a'))), "291e9a6c66994949b57ba5e650361e98fc36b1ba");
}

TEST(GenericInstanceId, MatchesPublishedInstances) {
    const struct {
        const char* signature;
        const char* id;
    } cases[] = {
        // IAsyncOperation<bool> and its completion handler.
        {"pinterface({9fc2b0bb-e446-44e2-aa61-9cab8f636af2};b1)", "cdb5efb3-5788-509d-9be1-71ccb8a3362a"},
        {"pinterface({fcdcf02c-e5d8-4478-915a-4d90b74b83a5};b1)", "c1d3d1a2-ae17-5a5f-b5a2-bdcc8844889a"},
        // A completion handler of a runtime class, named with its default interface.
        {"pinterface({fcdcf02c-e5d8-4478-915a-4d90b74b83a5};rc(Windows.Media.SpeechSynthesis.SpeechSynthesisStream;"
         "{83e46e93-244c-4622-ba0b-6229c4d0d65d}))",
         "c972b996-6165-50d4-af60-a8c3df51d092"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(GenericInstanceId(c.signature)), c.id) << c.signature;
}

} // namespace
} // namespace kestrana::menubar
