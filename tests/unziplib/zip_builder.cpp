#include "tests/unziplib/zip_builder.h"

#include <zlib.h>

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

std::string ZipBuilder::build() const {
  std::string archive;
  std::string central;
  for (const ZipMember& m : members_) {
    const uint32_t crc = m.crc.value_or(crcOf(m.data));
    const uint32_t size = m.declaredSize.value_or(static_cast<uint32_t>(m.data.size()));
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
    const uint32_t offset = static_cast<uint32_t>(archive.size());
    const std::string& localName = m.localName.value_or(m.name);

    put32(archive, 0x04034b50);
    put16(archive, 20);
    put16(archive, flags);
    put16(archive, m.method);
    put16(archive, m.dosTime);
    put16(archive, m.dosDate);
    put32(archive, m.dataDescriptor ? 0 : m.localCrc.value_or(crc));
    put32(archive, m.dataDescriptor ? 0 : static_cast<uint32_t>(payload.size()));
    put32(archive, m.dataDescriptor ? 0 : size);
    put16(archive, static_cast<uint32_t>(localName.size()));
    put16(archive, 0);
    archive += localName;
    archive += payload;
    if (m.dataDescriptor) {
      put32(archive, 0x08074b50);
      put32(archive, crc);
      put32(archive, static_cast<uint32_t>(payload.size()));
      put32(archive, size);
    }

    put32(central, 0x02014b50);
    put16(central, 20);
    put16(central, 20);
    put16(central, flags);
    put16(central, m.method);
    put16(central, m.dosTime);
    put16(central, m.dosDate);
    put32(central, crc);
    put32(central, m.centralCompressedSize ? m.centralCompressedSize
                                           : static_cast<uint32_t>(payload.size()));
    put32(central, size);
    put16(central, static_cast<uint32_t>(m.name.size()));
    put16(central, static_cast<uint32_t>(m.centralExtra.size()));
    put16(central, 0);
    put16(central, m.diskStart);
    put16(central, m.internalAttributes);
    put32(central, m.name.back() == '/' ? 0x41FF0010 : 0x81B60020);
    put32(central, m.centralOffset != 0xFFFFFFFE ? m.centralOffset : offset);
    central += m.name;
    central += m.centralExtra;
  }
  const uint32_t centralOffset = static_cast<uint32_t>(archive.size());
  archive += central;
  if (zip64Locator) {
    put32(archive, 0x07064b50);
    put32(archive, 0);
    put32(archive, 0);
    put32(archive, 0);
    put32(archive, 1);
  }
  put32(archive, 0x06054b50);
  put16(archive, disk);
  put16(archive, 0);
  put16(archive, static_cast<uint32_t>(members_.size()));
  put16(archive, static_cast<uint32_t>(members_.size()));
  put32(archive, static_cast<uint32_t>(central.size()));
  put32(archive, centralOffset);
  put16(archive, static_cast<uint32_t>(comment.size()));
  archive += comment;
  return prefix + archive + trailer;
}

}  // namespace tarvik::testing
