#include "app/handover.h"

#include <array>
#include <cstdint>
#include <span>

#include "platform/runtime_error.h"
#include "platform/sha256.h"

namespace tarvik {
namespace {

constexpr std::string_view kPrefix = "/tarvik-handover:1:";
constexpr std::size_t kDigestCharacters = 32;  // the first 16 bytes of SHA-256, in hex
constexpr char kFieldEnd = '\0';                // no path or display line holds it
constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string digestOf(const std::string& bytes) {
  Sha256 sha;
  sha.add(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  const Sha256Digest digest = sha.finish();
  std::string hex;
  for (std::size_t i = 0; i < kDigestCharacters / 2; ++i) {
    hex += "0123456789abcdef"[digest[i] >> 4];
    hex += "0123456789abcdef"[digest[i] & 15];
  }
  return hex;
}

// Base64 with "-" and "_", without padding: nothing in it needs quoting on a command line.
std::string toBase64(const std::string& bytes) {
  std::string text;
  uint32_t bits = 0;
  int count = 0;
  for (const char byte : bytes) {
    bits = (bits << 8) | static_cast<uint8_t>(byte);
    for (count += 8; count >= 6; count -= 6) text += kBase64[(bits >> (count - 6)) & 63];
  }
  if (count > 0) text += kBase64[(bits << (6 - count)) & 63];
  return text;
}

std::optional<std::string> fromBase64(std::string_view text) {
  std::string bytes;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    const std::size_t value = kBase64.find(c);
    if (value == std::string_view::npos) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return bytes;
}

// The fields one after the other, each ended by kFieldEnd: the VirtualStore, then three fields
// an entry (its tick, "1" or "0", its folder and its display line).
std::string fieldsOf(const Handover& handover) {
  std::string fields;
  const auto add = [&fields](std::string_view field) {
    fields += field;
    fields += kFieldEnd;
  };
  add(handover.virtualStore);
  for (const HandedOverEntry& entry : handover.entries) {
    add(entry.ticked ? "1" : "0");
    add(entry.folder);
    add(entry.displayLine);
  }
  return fields;
}

std::optional<Handover> handoverOf(const std::string& fields) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  for (std::size_t end; (end = fields.find(kFieldEnd, at)) != std::string::npos; at = end + 1)
    parts.push_back(fields.substr(at, end - at));
  if (at != fields.size() || parts.empty() || (parts.size() - 1) % 3 != 0) return std::nullopt;
  Handover handover{{}, parts[0]};
  for (std::size_t i = 1; i < parts.size(); i += 3) {
    if (parts[i] != "1" && parts[i] != "0") return std::nullopt;
    handover.entries.push_back({parts[i + 1], parts[i + 2], parts[i] == "1"});
  }
  return handover;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string handoverArgument(const Handover& handover) {
  const std::string fields = fieldsOf(handover);
  return std::string(kPrefix) + digestOf(fields) + ":" + toBase64(fields);
}

std::optional<Handover> handoverFromCommandLine(const std::string& arguments) {
  const std::string_view argument = trimmed(arguments);
  if (!argument.starts_with(kPrefix)) return std::nullopt;
  const std::string_view rest = argument.substr(kPrefix.size());
  if (rest.size() < kDigestCharacters + 1 || rest[kDigestCharacters] != ':') return std::nullopt;
  const auto fields = fromBase64(rest.substr(kDigestCharacters + 1));
  try {
    if (!fields || digestOf(*fields) != rest.substr(0, kDigestCharacters)) return std::nullopt;
  } catch (const RuntimeError&) {
    return std::nullopt;  // a system that cannot check the digest takes no hand-over
  }
  return handoverOf(*fields);
}

}  // namespace tarvik
