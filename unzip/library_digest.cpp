#include "unzip/library_digest.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace tarvik {
namespace {

uint32_t readLittleEndian(std::span<const uint8_t> file, std::size_t position, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | file[position + i];
  return value;
}

// The fields that signing rewrites, where the file is a Windows program file.
struct SigningFields {
  std::size_t checksum = 0;                       // 4 bytes
  std::optional<std::size_t> certificateEntry;    // 8 bytes: the table's position and size
};

std::optional<SigningFields> signingFieldsOf(std::span<const uint8_t> file) {
  if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  const std::size_t header = readLittleEndian(file, 0x3C, 4);
  const std::size_t optional = header + 24;
  if (header > file.size() || optional + 2 > file.size() ||
      readLittleEndian(file, header, 4) != 0x00004550)  // "PE\0\0"
    return std::nullopt;
  const uint32_t magic = readLittleEndian(file, optional, 2);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  const std::size_t counts = optional + (magic == 0x20B ? 108 : 92);
  if (counts + 4 > file.size()) return std::nullopt;
  SigningFields fields;
  fields.checksum = optional + 64;
  const std::size_t entry = counts + 4 + 8 * 4;  // the fifth data directory
  if (readLittleEndian(file, counts, 4) > 4 && entry + 8 <= file.size())
    fields.certificateEntry = entry;
  return fields;
}

}  // namespace

Sha256Digest libraryDigest(std::span<const uint8_t> file) {
  struct Piece {
    std::size_t begin, end;
  };
  std::vector<Piece> kept{{0, file.size()}};
  std::size_t padding = (8 - file.size() % 8) % 8;
  // Leaves a range of the file out of what is kept.
  const auto leaveOut = [&kept](std::size_t begin, std::size_t end) {
    std::vector<Piece> rest;
    for (const Piece piece : kept) {
      if (piece.begin < begin) rest.push_back({piece.begin, std::min(piece.end, begin)});
      if (piece.end > end) rest.push_back({std::max(piece.begin, end), piece.end});
    }
    kept = std::move(rest);
  };
  if (const auto fields = signingFieldsOf(file)) {
    leaveOut(fields->checksum, fields->checksum + 4);
    if (const auto entry = fields->certificateEntry) {
      leaveOut(*entry, *entry + 8);
      const std::size_t table = readLittleEndian(file, *entry, 4);
      const std::size_t size = readLittleEndian(file, *entry + 4, 4);
      if (size > 0 && table >= *entry + 8 && table <= file.size() &&
          size <= file.size() - table) {
        leaveOut(table, table + size);
        padding = (8 - table % 8) % 8;
      }
    }
  }
  Sha256 sha;
  for (const Piece piece : kept) sha.add(file.subspan(piece.begin, piece.end - piece.begin));
  const std::array<uint8_t, 8> zeros{};
  sha.add(std::span(zeros).first(padding));
  return sha.finish();
}

}  // namespace tarvik
