#include "unziplib/member_lister.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "unziplib/dos_time.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/zip_records.h"

namespace tarvik::unziplib {
namespace {

uint32_t clamp32(uint64_t value) {
  return static_cast<uint32_t>(std::min<uint64_t>(value, 0xFFFFFFFFu));
}

std::vector<char> mutableText(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  return copy;
}

}  // namespace

uint32_t ratioOf(uint64_t compressed, uint64_t uncompressed) {
  if (uncompressed == 0 || compressed >= uncompressed) return 0;
  const uint64_t saved = uncompressed - compressed;
  if (saved <= (UINT64_MAX - uncompressed / 2) / 100)
    return static_cast<uint32_t>((saved * 100 + uncompressed / 2) / uncompressed);
  return static_cast<uint32_t>(std::lround(100.0L * saved / uncompressed));
}

std::string methodName(uint16_t method) {
  const std::string_view name = zip_method::nameOf(method);
  return name.empty() ? "Unk:" + std::to_string(method) : std::string(name);
}

MemberLister::MemberLister(const RunRequest& request, USERFUNCTIONS& callbacks,
                           Reporter& reporter)
    : request_(request), callbacks_(callbacks), reporter_(reporter) {}

void MemberLister::list(const ZipEntry& entry) {
  const LocalTime time = localTimeOf(entry.dosDate, entry.dosTime);
  const uint32_t ratio = ratioOf(entry.compressedSize, entry.uncompressedSize);
  const std::string method = methodName(entry.method);
  ++members_;
  compressed_ = zip_records::addClamped(compressed_, entry.compressedSize);
  uncompressed_ = zip_records::addClamped(uncompressed_, entry.uncompressedSize);
  if (request_.list && callbacks_.SendApplicationMessage) {
    auto name = mutableText(toCallerText(entry.name));
    auto methodText = mutableText(method);
    callbacks_.SendApplicationMessage(
        clamp32(entry.uncompressedSize), clamp32(entry.compressedSize), ratio,
        static_cast<uint32_t>(time.month),
        static_cast<uint32_t>(time.day), static_cast<uint32_t>(time.year),
        static_cast<uint32_t>(time.hour), static_cast<uint32_t>(time.minute), 0, name.data(),
        methodText.data(), entry.crc, entry.encrypted() ? 'E' : ' ');
  }
  if (request_.detailedList) {
    if (!headerPrinted_) {
      reporter_.output("    Length   Packed Ratio Method   Date       Time     CRC-32   T E Name");
      headerPrinted_ = true;
    }
    char line[160];
    std::snprintf(line, sizeof line,
                  "%10llu %8llu %3u%%  %-8s %04d-%02d-%02d %02d:%02d:%02d %08x %c %c ",
                  static_cast<unsigned long long>(entry.uncompressedSize),
                  static_cast<unsigned long long>(entry.compressedSize), ratio, method.c_str(),
                  time.year, time.month, time.day, time.hour, time.minute, time.second,
                  static_cast<unsigned>(entry.crc), entry.markedAsText() ? 't' : 'b',
                  entry.encrypted() ? 'E' : '-');
    reporter_.output(line + entry.name);
    if (!entry.comment.empty()) {
      std::string comment = entry.comment;
      std::replace_if(comment.begin(), comment.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
      reporter_.output("      comment: " + comment);
    }
  }
}

void MemberLister::summarize() {
  callbacks_.TotalSizeComp = clamp32(compressed_);
  callbacks_.TotalSize = clamp32(uncompressed_);
  callbacks_.CompFactor = ratioOf(compressed_, uncompressed_);
  callbacks_.NumMembers = members_;
  reporter_.summary(std::to_string(members_) + " members, " + std::to_string(uncompressed_) +
                    " bytes, " + std::to_string(compressed_) + " compressed (" +
                    std::to_string(callbacks_.CompFactor) + "% saved)");
}

}  // namespace tarvik::unziplib
