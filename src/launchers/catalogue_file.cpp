#include "launchers/catalogue_file.h"

#include "foundation/text.h"

#include <pugixml.hpp>

#include <string_view>

namespace kestrana::launchers {

namespace {

// The document every new catalogue starts from.
constexpr char kEmptyCatalogue[] = "<?xml version = \"1.0\" encoding = \"utf-16\"?><pad/>";

bool NameStartsWith(const pugi::xml_node& node, std::string_view prefix) {
    return node.type() == pugi::node_element && std::string_view(node.name()).starts_with(prefix);
}

bool HasChildIcons(const pugi::xml_node& node) {
    for (const auto child : node.children()) {
        if (NameStartsWith(child, "ico")) return true;
    }
    return false;
}

std::wstring Wide(const char* utf8) { return foundation::FromUtf8(utf8); }

// Names lose surrounding blanks, so a name of blanks alone is no name; a text element
// made of blanks is not even kept by the reader.
std::wstring NameText(const char* utf8) { return std::wstring(foundation::TrimBlanks(Wide(utf8))); }

// Line breaks inside a value stay as written (no end-of-line conversion): what the
// writer puts in a name is what the reader gets back.
constexpr unsigned kParseFlags = pugi::parse_default & ~pugi::parse_eol;

CatalogueItem ReadIcon(const pugi::xml_node& node) {
    CatalogueItem item;
    if (HasChildIcons(node)) {
        item.group = true;
        const auto attribute = node.attribute("name");
        item.name = NameText(attribute ? attribute.value() : node.child("name").text().get());
        for (const auto child : node.children()) {
            if (!NameStartsWith(child, "ico")) continue;
            item.members.push_back(CatalogueItem{Wide(child.attribute("path").value()), NameText(child.text().get())});
        }
    } else {
        item.path = Wide(node.attribute("path").value());
        item.name = NameText(node.text().get());
    }
    return item;
}

std::string Numbered(const char* prefix, std::size_t n) { return prefix + std::to_string(n); }

void WritePlain(pugi::xml_node& node, const CatalogueItem& item) {
    node.append_attribute("path").set_value(foundation::ToUtf8(item.path).c_str());
    node.text().set(foundation::ToUtf8(item.name).c_str());
}

struct ByteWriter final : pugi::xml_writer {
    std::vector<std::uint8_t> bytes;
    void write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
};

} // namespace

std::optional<CatalogueDocument> ParseCatalogue(std::span<const std::uint8_t> bytes) {
    pugi::xml_document xml;
    if (!xml.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_auto)) return std::nullopt;
    const auto root = xml.document_element();
    if (std::string_view(root.name()) != "pad") return std::nullopt;
    CatalogueDocument document;
    for (const auto page : root.children()) {
        if (!NameStartsWith(page, "page")) continue;
        CataloguePage& items = document.pages.emplace_back();
        for (const auto icon : page.children()) {
            if (NameStartsWith(icon, "ico")) items.push_back(ReadIcon(icon));
        }
    }
    return document;
}

std::vector<std::uint8_t> SerializeCatalogue(const CatalogueDocument& document) {
    pugi::xml_document xml;
    xml.load_string(kEmptyCatalogue, pugi::parse_default | pugi::parse_declaration);
    auto root = xml.child("pad");
    for (std::size_t p = 0; p < document.pages.size(); ++p) {
        auto page = root.append_child(Numbered("page", p + 1).c_str());
        for (std::size_t i = 0; i < document.pages[p].size(); ++i) {
            const CatalogueItem& item = document.pages[p][i];
            auto icon = page.append_child(Numbered("ico", i + 1).c_str());
            if (!item.group) {
                WritePlain(icon, item);
                continue;
            }
            icon.append_attribute("name").set_value(foundation::ToUtf8(item.name).c_str());
            for (std::size_t m = 0; m < item.members.size(); ++m) {
                auto member = icon.append_child(Numbered("ico", m + 1).c_str());
                WritePlain(member, item.members[m]);
            }
        }
    }
    ByteWriter writer;
    xml.save(writer, "\t", pugi::format_default | pugi::format_write_bom, pugi::encoding_utf16_le);
    return std::move(writer.bytes);
}

std::wstring WithXmlExtension(std::wstring name) {
    if (!foundation::EndsWithIgnoreCase(name, L".xml")) name += L".xml";
    return name;
}

} // namespace kestrana::launchers
