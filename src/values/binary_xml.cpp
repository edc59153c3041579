#include "values/binary_xml.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "values/binary_xml_stream.h"
#include "values/binary_xml_values.h"

namespace tessaril {
namespace {

// Open elements and nested documents together; a deeper stream is damage.
constexpr std::size_t kMaxDepth = 256;

constexpr std::string_view kXmlPrefix = "xml";
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsPrefix = "xmlns";

// The standalone byte of an xml declaration: 0 absent, 1 yes, 2 no.
constexpr std::uint8_t kStandaloneYes = 1;
constexpr std::uint8_t kStandaloneNo = 2;

// Character data escapes & < > and the carriage return, which a parser would
// read as a line end. Attribute values also escape the quote and the tab and
// line ends, which a parser would turn into spaces.
struct Escape {
  char c;
  std::string_view text;
  bool attributeOnly;
};
constexpr std::array<Escape, 7> kEscapes = {{{'&', "&amp;", false},
                                             {'<', "&lt;", false},
                                             {'>', "&gt;", false},
                                             {'\r', "&#xD;", false},
                                             {'"', "&quot;", true},
                                             {'\t', "&#x9;", true},
                                             {'\n', "&#xA;", true}}};

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (const char c : text) {
    const auto escape = std::find_if(kEscapes.begin(), kEscapes.end(), [&](const Escape& e) {
      return e.c == c && (attribute || !e.attributeOnly);
    });
    if (escape == kEscapes.end()) {
      out += c;
    } else {
      out += escape->text;
    }
  }
}

// The text of a CDATA section goes in as it is, except that a "]]>" in it
// would end the section early: the section is closed after "]]" and reopened.
void AppendCData(std::string& out, std::string_view text) {
  out += "<![CDATA[";
  std::size_t start = 0;
  for (std::size_t at = text.find("]]>"); at != std::string_view::npos;
       at = text.find("]]>", at + 1)) {
    out += text.substr(start, at + 2 - start);
    out += "]]><![CDATA[";
    start = at + 2;
  }
  out += text.substr(start);
  out += "]]>";
}

// Prefix to namespace bindings in scope, innermost last.
class NamespaceScope {
 public:
  NamespaceScope() {
    Bind("", "");
    Bind(std::string(kXmlPrefix), std::string(kXmlNamespace));
  }

  std::optional<std::string_view> Lookup(const std::string& prefix) const {
    const auto found = uris_.find(prefix);
    if (found == uris_.end() || found->second.empty()) return std::nullopt;
    return found->second.back();
  }
  void Bind(const std::string& prefix, const std::string& uri) {
    uris_[prefix].push_back(uri);
    bound_.push_back(prefix);
  }
  std::size_t Mark() const { return bound_.size(); }
  // Drops the bindings made since the mark.
  void Unwind(std::size_t mark) {
    while (bound_.size() > mark) {
      uris_[bound_.back()].pop_back();
      bound_.pop_back();
    }
  }

 private:
  std::unordered_map<std::string, std::vector<std::string>> uris_;
  std::vector<std::string> bound_;
};

struct Attribute {
  BinaryXmlQName name;  // a copy: the tables may be flushed before the tag is written
  std::string value;
};

// A start tag is written once its attributes are known and the next token
// tells whether the element is empty.
struct StartTag {
  BinaryXmlQName name;
  std::vector<Attribute> attributes;
};

struct OpenElement {
  std::string name;
  std::size_t scopeMark = 0;
};

class DocumentDecoder {
 public:
  explicit DocumentDecoder(ByteView bytes) : in_(bytes) {}

  BinaryXmlText Decode() {
    if (!in_.ReadHeader()) return {};
    bool intact = XmlDeclaration(true);
    // Every token consumes at least its own byte, so the loop ends.
    while (intact) {
      const std::optional<std::uint8_t> token = in_.Next();
      if (!token) break;
      intact = Step(*token);
    }
    const bool complete = intact && in_.ok() && open_.empty() && nests_.empty();
    CloseAll();
    return {std::move(out_), complete};
  }

 private:
  // Handles one token; false on damage.
  bool Step(std::uint8_t token) {
    const bool afterTyped = afterTypedValue_;
    afterTypedValue_ = false;
    if (IsValueToken(token, in_.version())) {
      FinishStartTag(false);
      // Typed values in a row are the items of a list, which xml separates
      // with a space; character data runs on.
      const bool typed = !IsCharacterToken(token);
      const std::string text = ReadValueText(token, in_);
      if (afterTyped && typed) out_ += ' ';
      AppendEscaped(out_, text, false);
      afterTypedValue_ = typed;
      return in_.ok();
    }
    switch (token) {
      case bxml::kElement:
        return StartElement();
      case bxml::kEndElement:
        return EndElement();
      case bxml::kCData:
        return CData();
      case bxml::kComment:
        FinishStartTag(false);
        out_ += "<!--" + in_.Text() + "-->";
        return in_.ok();
      case bxml::kProcessingInstruction:
        return ProcessingInstruction();
      case bxml::kXmlText:  // a piece of ordinary xml text, taken as it is
        FinishStartTag(false);
        out_ += in_.Text();
        return in_.ok();
      case bxml::kDocType:
        return DocType();
      case bxml::kNest:
        return Nest();
      case bxml::kEndNest:
        return EndNest();
      default:
        return false;
    }
  }

  // The optional declaration after a header; a nested document's is read but
  // not written.
  bool XmlDeclaration(bool write) {
    if (in_.Peek() != bxml::kXmlDeclaration) return in_.ok();
    in_.Next();
    const std::string version = in_.Text();
    std::optional<std::string> encoding;
    if (in_.Peek() == bxml::kEncoding) {
      in_.Next();
      encoding = in_.Text();
    }
    const std::uint8_t standalone = in_.Byte();
    if (!in_.ok() || standalone > kStandaloneNo) return false;
    if (!write) return true;
    out_ += "<?xml version=\"";
    AppendEscaped(out_, version, true);
    if (encoding) {
      out_ += "\" encoding=\"";
      AppendEscaped(out_, *encoding, true);
    }
    if (standalone != 0)
      out_ += standalone == kStandaloneYes ? "\" standalone=\"yes" : "\" standalone=\"no";
    out_ += "\"?>";
    return true;
  }

  bool StartElement() {
    if (open_.size() + nests_.size() >= kMaxDepth) return false;
    FinishStartTag(false);
    const BinaryXmlQName* name = in_.QName(in_.Mb32());
    if (name == nullptr || !name->names || name->declares) return false;
    startTag_ = StartTag{*name, {}};
    open_.push_back({name->qualified, scope_.Mark()});
    if (in_.Peek() == bxml::kAttribute) return Attributes();
    return in_.ok();
  }

  // ATTRIBUTE name, then its value tokens (none for an empty value), for
  // each attribute; END-ATTRIBUTES closes the list.
  bool Attributes() {
    StartTag& tag = *startTag_;
    bool afterTyped = false;
    for (;;) {  // each pass consumes at least one token byte
      const std::optional<std::uint8_t> token = in_.Next();
      if (!token) return false;
      if (*token == bxml::kEndAttributes) return true;
      if (*token == bxml::kAttribute) {
        const BinaryXmlQName* name = in_.QName(in_.Mb32());
        if (name == nullptr || !name->names) return false;
        tag.attributes.push_back({*name, {}});
        afterTyped = false;
        continue;
      }
      if (!IsValueToken(*token, in_.version()) || tag.attributes.empty()) return false;
      const bool typed = !IsCharacterToken(*token);
      const std::string text = ReadValueText(*token, in_);
      std::string& value = tag.attributes.back().value;
      if (afterTyped && typed) value += ' ';
      value += text;
      afterTyped = typed;
      if (!in_.ok()) return false;
    }
  }

  // Writes the pending start tag, "/>"-closed when the element is empty.
  void FinishStartTag(bool empty) {
    if (!startTag_) return;
    const StartTag tag = std::move(*startTag_);
    startTag_.reset();
    // Declarations written on the element come into scope first.
    std::unordered_set<std::string> declared;
    for (const Attribute& attribute : tag.attributes) {
      if (!attribute.name.declares) continue;
      scope_.Bind(*attribute.name.declares, attribute.value);
      declared.insert(*attribute.name.declares);
    }
    // Names carry their namespace themselves, and the stream need not hold a
    // declaration for each: a prefix whose binding in scope differs gets one.
    std::vector<std::pair<std::string, std::string>> implied;
    const auto require = [&](const BinaryXmlQName& name) {
      if (name.prefix == kXmlPrefix || name.prefix == kXmlnsPrefix) return;
      if (declared.contains(name.prefix)) return;
      const std::optional<std::string_view> bound = scope_.Lookup(name.prefix);
      if (bound && *bound == name.namespaceUri) return;
      scope_.Bind(name.prefix, name.namespaceUri);
      declared.insert(name.prefix);
      implied.emplace_back(name.prefix, name.namespaceUri);
    };
    require(tag.name);
    for (const Attribute& attribute : tag.attributes) {
      // An attribute without a prefix is in no namespace, whatever the default.
      if (!attribute.name.declares && !attribute.name.prefix.empty()) require(attribute.name);
    }
    out_ += '<';
    out_ += tag.name.qualified;
    for (const Attribute& attribute : tag.attributes) {
      out_ += ' ';
      out_ += attribute.name.qualified;
      out_ += "=\"";
      AppendEscaped(out_, attribute.value, true);
      out_ += '"';
    }
    for (const auto& [prefix, uri] : implied) {
      out_ += prefix.empty() ? " xmlns" : " xmlns:" + prefix;
      out_ += "=\"";
      AppendEscaped(out_, uri, true);
      out_ += '"';
    }
    out_ += empty ? "/>" : ">";
  }

  bool EndElement() {
    // An element opened outside a nested document is not closed inside it.
    if (open_.empty() || (!nests_.empty() && open_.size() <= nests_.back())) return false;
    if (startTag_) {
      FinishStartTag(true);
    } else {
      out_ += "</" + open_.back().name + ">";
    }
    scope_.Unwind(open_.back().scopeMark);
    open_.pop_back();
    return true;
  }

  // One or more CDATA pieces, then END-CDATA, make one section.
  bool CData() {
    FinishStartTag(false);
    std::string text;
    bool closed = false;
    for (;;) {  // each pass consumes a piece
      text += in_.Text();
      if (!in_.ok()) break;
      const std::optional<std::uint8_t> next = in_.Next();
      if (next == bxml::kEndCData) closed = true;
      if (next != bxml::kCData) break;
    }
    AppendCData(out_, text);
    return closed;
  }

  bool ProcessingInstruction() {
    FinishStartTag(false);
    const std::string* target = in_.Name(in_.Mb32());
    if (!in_.ok() || target == nullptr || target->empty()) return false;
    out_ += "<?" + *target;
    const std::string data = in_.Text();
    if (!data.empty()) out_ += " " + data;
    out_ += "?>";
    return in_.ok();
  }

  bool DocType() {
    FinishStartTag(false);
    const std::string root = in_.Text();
    std::optional<std::string> system;
    std::optional<std::string> publicId;
    std::optional<std::string> subset;
    if (in_.Peek() == bxml::kSystem && in_.Next()) system = in_.Text();
    if (in_.Peek() == bxml::kPublic && in_.Next()) publicId = in_.Text();
    if (in_.Peek() == bxml::kSubset && in_.Next()) subset = in_.Text();
    if (!in_.ok()) return false;
    out_ += "<!DOCTYPE " + root;
    if (publicId) {
      out_ += " PUBLIC \"" + *publicId + "\" \"" + system.value_or("") + "\"";
    } else if (system) {
      out_ += " SYSTEM \"" + *system + "\"";
    }
    if (subset) out_ += " [" + *subset + "]";
    out_ += '>';
    return true;
  }

  // A nested document: its own header and name tables, its content in place.
  bool Nest() {
    if (open_.size() + nests_.size() >= kMaxDepth) return false;
    FinishStartTag(false);
    nests_.push_back(open_.size());
    in_.BeginNested();
    return in_.ReadHeader() && XmlDeclaration(false);
  }

  bool EndNest() {
    if (nests_.empty() || nests_.back() != open_.size()) return false;
    nests_.pop_back();
    return in_.EndNested();
  }

  // After damage: the start tag being read is written (its element may have
  // had content) and the open elements are closed.
  void CloseAll() {
    FinishStartTag(false);
    for (auto element = open_.rbegin(); element != open_.rend(); ++element) {
      out_ += "</" + element->name + ">";
    }
    open_.clear();
  }

  BinaryXmlStream in_;
  std::string out_;
  std::optional<StartTag> startTag_;
  std::vector<OpenElement> open_;
  std::vector<std::size_t> nests_;  // open elements when each nested document began
  NamespaceScope scope_;
  bool afterTypedValue_ = false;
};

}  // namespace

BinaryXmlText DecodeBinaryXml(ByteView bytes) { return DocumentDecoder(bytes).Decode(); }

std::string BinaryXmlToText(ByteView bytes) { return DecodeBinaryXml(bytes).text; }

}  // namespace tessaril
