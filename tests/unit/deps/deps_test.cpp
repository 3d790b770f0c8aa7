// Round trips through each third-party library, so both builds prove they link and
// behave the same: the Windows build links its own mingw builds of them.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <pugixml.hpp>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(Dependencies, PugixmlKeepsElementsAttributesAndTabIndentation) {
    pugi::xml_document doc;
    auto root = doc.append_child("config");
    auto page = root.append_child("page1");
    page.append_attribute("name") = "Gr\xC3\xBC\xC3\x9F" "e";
    page.append_child("appname").text() = "explorer.exe";

    std::ostringstream out;
    doc.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    ASSERT_NE(out.str().find("\n\t<page1"), std::string::npos) << out.str();

    pugi::xml_document back;
    ASSERT_TRUE(back.load_string(out.str().c_str()));
    EXPECT_STREQ(back.select_node("/config/page1/appname").node().text().get(), "explorer.exe");
    EXPECT_STREQ(back.child("config").child("page1").attribute("name").value(), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(Dependencies, CjsonParsesNestedDataAndFindsKeysCaseInsensitively) {
    const char* text = R"({"Results":[{"temp":-3.5,"text":"snow"},{"temp":21}],"ok":true})";
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_Parse(text), cJSON_Delete);
    ASSERT_TRUE(root);
    cJSON* results = cJSON_GetObjectItem(root.get(), "results"); // case-insensitive look-up
    ASSERT_TRUE(cJSON_IsArray(results));
    ASSERT_EQ(cJSON_GetArraySize(results), 2);
    EXPECT_DOUBLE_EQ(cJSON_GetObjectItemCaseSensitive(cJSON_GetArrayItem(results, 0), "temp")->valuedouble, -3.5);
    EXPECT_EQ(cJSON_GetObjectItem(root.get(), "Missing"), nullptr);
    EXPECT_EQ(cJSON_Parse("{\"unterminated\": [1, 2"), nullptr);
}

TEST(Dependencies, ZlibRoundTripsCompressibleData) {
    std::string input;
    for (int i = 0; i < 2000; ++i) input += "ico" + std::to_string(i % 17) + "=explorer.exe\r\n";
    uLongf packedSize = compressBound(static_cast<uLong>(input.size()));
    std::vector<Bytef> packed(packedSize);
    ASSERT_EQ(compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(input.data()),
                        static_cast<uLong>(input.size()), Z_BEST_COMPRESSION), Z_OK);
    EXPECT_LT(packedSize, input.size() / 10);
    std::string output(input.size(), '\0');
    uLongf outSize = static_cast<uLongf>(output.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(output.data()), &outSize, packed.data(), packedSize), Z_OK);
    EXPECT_EQ(output, input);
}

TEST(Dependencies, MinizipWritesAnArchiveThatReadsBack) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto path = std::filesystem::temp_directory_path() / ("kestrana_deps_" + std::to_string(stamp) + ".zip");
    const std::string name = "launchpad/padconfig.xml";
    const std::string content = "<config><page1/></config>";

    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_DEFAULT_COMPRESSION, 0), ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);

    unzFile unz = unzOpen64(path.string().c_str());
    ASSERT_NE(unz, nullptr);
    ASSERT_EQ(unzLocateFile(unz, name.c_str(), 0), UNZ_OK);
    ASSERT_EQ(unzOpenCurrentFile(unz), UNZ_OK);
    std::string back(content.size() + 16, '\0');
    const int read = unzReadCurrentFile(unz, back.data(), static_cast<unsigned>(back.size()));
    ASSERT_EQ(read, static_cast<int>(content.size()));
    back.resize(static_cast<std::size_t>(read));
    EXPECT_EQ(back, content);
    unzCloseCurrentFile(unz);
    unzClose(unz);
    std::filesystem::remove(path);
}

} // namespace
