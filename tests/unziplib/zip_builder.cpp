#include "tests/unziplib/zip_builder.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace tarvik::testing {
namespace {

void put16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

class Encrypter {
 public:
  explicit Encrypter(const std::string& password) {
    for (const char c : password) update(static_cast<uint8_t>(c));
  }
  std::string encrypt(const std::string& plain) {
    std::string out;
    for (const char c : plain) {
      const uint8_t byte = static_cast<uint8_t>(c);
      out.push_back(static_cast<char>(byte ^ streamByte()));
      update(byte);
    }
    return out;
  }

 private:
  static uint32_t step(uint32_t crc, uint8_t byte) {
    return get_crc_table()[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  }
  void update(uint8_t plain) {
    keys_[0] = step(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = step(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }
  uint8_t streamByte() const {
    const uint32_t temp = (keys_[2] | 2) & 0xFFFF;
    return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
  }
  uint32_t keys_[3] = {0x12345678, 0x23456789, 0x34567890};
};

}  // namespace

std::string deflated(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

uint32_t crcOf(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string sampleText(std::size_t n, unsigned seed) {
  static const char* words[] = {"runway ", "taxiway ", "apron ", "hangar\n", "tower ", "beacon\n"};
  std::string text;
  uint32_t state = seed;
  while (text.size() < n) {
    state = state * 1103515245u + 12345u;
    text += words[(state >> 16) % 6];
  }
  text.resize(n);
  return text;
}

ZipBuilder& ZipBuilder::add(ZipMember member) {
  members_.push_back(std::move(member));
  return *this;
}

ZipBuilder& ZipBuilder::file(const std::string& name, const std::string& data, uint16_t method) {
  ZipMember member;
  member.name = name;
  member.data = data;
  member.method = method;
  return add(member);
}

ZipBuilder& ZipBuilder::folder(const std::string& name) {
  ZipMember member;
  member.name = name;
  member.method = 0;
  return add(member);
}

namespace {

// The CRC-32 of crc's bytes followed by that many zero bytes, without making them.
uint32_t crcWithZeros(uint32_t crc, uint64_t zeros) {
  uLong ofPowers[31];  // of 2^k zero bytes
  ofPowers[0] = crc32(0, reinterpret_cast<const Bytef*>("\0"), 1);
  for (int k = 1; k < 31; ++k)
    ofPowers[k] = crc32_combine(ofPowers[k - 1], ofPowers[k - 1], z_off_t{1} << (k - 1));
  uLong result = crc;
  while (zeros > 0) {
    int k = 30;
    while ((uint64_t{1} << k) > zeros) --k;
    result = crc32_combine(result, ofPowers[k], z_off_t{1} << k);
    zeros -= uint64_t{1} << k;
  }
  return static_cast<uint32_t>(result);
}

void put64(std::string& out, uint64_t value) {
  put32(out, static_cast<uint32_t>(value));
  put32(out, static_cast<uint32_t>(value >> 32));
}

uint32_t fit32(uint64_t value, bool wide) {
  return wide || value >= 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(value);
}

}  // namespace

ZipBuilder::Pieces ZipBuilder::pieces() const {
  Pieces pieces = {{prefix, 0}, {"", 0}};
  uint64_t position = 0;  // from the archive's start
  const auto append = [&](const std::string& bytes, uint64_t zeros = 0) {
    pieces.back().first += bytes;
    position += bytes.size() + zeros;
    if (zeros > 0) {
      pieces.back().second = zeros;
      pieces.emplace_back();
    }
  };
  const bool always = zip64 == Zip64::kAlways;
  std::string central;
  for (const ZipMember& m : members_) {
    const uint32_t crc = m.crc.value_or(crcWithZeros(crcOf(m.data), m.zeros));
    const uint64_t size = m.declaredSize ? *m.declaredSize : m.data.size() + m.zeros;
    std::string payload = m.method == 8 ? deflated(m.data) : m.data;
    uint16_t flags = m.flags;
    if (m.dataDescriptor) flags |= 0x0008;
    if (!m.password.empty()) {
      flags |= 0x0001;
      std::string header = "\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB";
      header.push_back(static_cast<char>(m.dataDescriptor ? m.dosTime >> 8 : crc >> 24));
      Encrypter encrypter(m.password);
      payload = encrypter.encrypt(header + payload);
    }
    const uint64_t packed = payload.size() + m.zeros;
    const uint64_t offset = position;
    const bool wide = always || size >= 0xFFFFFFFF || packed >= 0xFFFFFFFF;
    const bool wideOffset = always || offset >= 0xFFFFFFFF;
    const std::string& localName = m.localName.value_or(m.name);

    std::string local;
    put32(local, 0x04034b50);
    put16(local, wide ? 45 : 20);
    put16(local, flags);
    put16(local, m.method);
    put16(local, m.dosTime);
    put16(local, m.dosDate);
    put32(local, m.dataDescriptor ? 0 : m.localCrc.value_or(crc));
    put32(local, m.dataDescriptor ? 0 : fit32(packed, wide));
    put32(local, m.dataDescriptor ? 0 : fit32(size, wide));
    std::string localExtra = m.localExtra;
    if (wide && !m.dataDescriptor) {
      put16(localExtra, 0x0001);
      put16(localExtra, 16);
      put64(localExtra, size);
      put64(localExtra, packed);
    }
    put16(local, static_cast<uint32_t>(localName.size()));
    put16(local, static_cast<uint32_t>(localExtra.size()));
    append(local + localName + localExtra + payload, m.zeros);
    if (m.dataDescriptor) {
      std::string descriptor;
      put32(descriptor, 0x08074b50);
      put32(descriptor, crc);
      put32(descriptor, static_cast<uint32_t>(packed));
      put32(descriptor, static_cast<uint32_t>(size));
      append(descriptor);
    }

    std::string centralExtra;
    if (wide || wideOffset) {
      put16(centralExtra, 0x0001);
      put16(centralExtra, (wide ? 16 : 0) + (wideOffset ? 8 : 0));
      if (wide) put64(centralExtra, size);
      if (wide) put64(centralExtra, m.centralCompressedSize ? m.centralCompressedSize : packed);
      if (wideOffset) put64(centralExtra, offset);
    }
    centralExtra += m.centralExtra;
    put32(central, 0x02014b50);
    put16(central, m.versionMadeBy);
    put16(central, wide || wideOffset ? 45 : 20);
    put16(central, flags);
    put16(central, m.method);
    put16(central, m.dosTime);
    put16(central, m.dosDate);
    put32(central, crc);
    put32(central, m.centralCompressedSize ? m.centralCompressedSize : fit32(packed, wide));
    put32(central, fit32(size, wide));
    put16(central, static_cast<uint32_t>(m.name.size()));
    put16(central, static_cast<uint32_t>(centralExtra.size()));
    put16(central, static_cast<uint32_t>(m.comment.size()));
    put16(central, m.diskStart);
    put16(central, m.internalAttributes);
    put32(central, m.externalAttributes.value_or(m.name.back() == '/' ? 0x41FF0010 : 0x81B60020));
    put32(central, m.centralOffset != 0xFFFFFFFE ? m.centralOffset : fit32(offset, wideOffset));
    central += m.name + centralExtra + m.comment;
  }
  const uint64_t centralOffset = position;
  append(central);
  const uint64_t entries = members_.size();
  const bool wideEnd = always || entries >= 0xFFFF || centralOffset >= 0xFFFFFFFF;
  std::string end;
  if (wideEnd) {
    const uint64_t recordOffset = position;
    put32(end, 0x06064b50);
    put64(end, 44);
    put16(end, 45);
    put16(end, 45);
    put32(end, disk);
    put32(end, 0);
    put64(end, entries);
    put64(end, entries);
    put64(end, central.size());
    put64(end, centralOffset);
    put32(end, 0x07064b50);
    put32(end, 0);
    put64(end, recordOffset);
    put32(end, 1);
  }
  const uint16_t shownEntries = always || entries >= 0xFFFF ? 0xFFFF : entries;
  put32(end, 0x06054b50);
  put16(end, disk);
  put16(end, 0);
  put16(end, shownEntries);
  put16(end, shownEntries);
  put32(end, fit32(central.size(), always));
  put32(end, fit32(centralOffset, always));
  put16(end, static_cast<uint32_t>(comment.size()));
  append(end + comment + trailer);
  return pieces;
}

std::string ZipBuilder::build() const {
  std::string archive;
  for (const auto& [bytes, zeros] : pieces()) archive += bytes + std::string(zeros, '\0');
  return archive;
}

void ZipBuilder::write(const std::filesystem::path& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  uint64_t size = 0;
  for (const auto& [bytes, zeros] : pieces()) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.seekp(static_cast<std::streamoff>(zeros), std::ios::cur);
    size += bytes.size() + zeros;
  }
  out.close();
  std::filesystem::resize_file(file, size);
}

}  // namespace tarvik::testing
