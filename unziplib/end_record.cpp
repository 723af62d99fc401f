#include "unziplib/end_record.h"

#include <algorithm>
#include <vector>

#include "unziplib/unzip_error.h"
#include "unziplib/zip_records.h"

namespace tarvik::unziplib {
namespace {

using namespace zip_records;

constexpr std::size_t kLongestComment = 0xFFFF;
// More signatures than this in the tail, each with a comment that fits, is not an archive any
// tool made; checking them all could take long.
constexpr std::size_t kMostCandidates = 32;
// Nor more than this many that check out; telling which holds which reads their members.
constexpr std::size_t kMostUsable = 8;

struct Candidate {
  EndRecord record;
  uint64_t commentEnd = 0;  // as the record states it; may lie past the end of the file
  bool checksOut = false;
  bool insideComment = false;

  uint64_t centralStart() const { return record.position - record.centralSize; }
};

Candidate candidateAt(std::span<const uint8_t> tail, std::size_t at, uint64_t tailStart) {
  const uint8_t* field = &tail[at];
  Candidate candidate;
  EndRecord& end = candidate.record;
  end.position = tailStart + at;
  end.disk = get16(field + 4);
  end.centralDisk = get16(field + 6);
  end.entriesHere = get16(field + 8);
  end.entries = get16(field + 10);
  end.centralSize = get32(field + 12);
  end.centralOffset = get32(field + 16);
  const std::size_t statedComment = get16(field + 20);
  const std::size_t commentLength = std::min(statedComment, tail.size() - at - kEndSize);
  end.comment.assign(reinterpret_cast<const char*>(field + kEndSize), commentLength);
  end.zip64Locator =
      at >= kZip64LocatorSize && get32(&tail[at - kZip64LocatorSize]) == kZip64LocatorSignature;
  candidate.commentEnd = end.position + kEndSize + statedComment;
  return candidate;
}

// Every end record's signature in the tail whose fixed part fits, in file order.
std::vector<Candidate> candidatesIn(std::span<const uint8_t> tail, uint64_t tailStart) {
  std::vector<Candidate> candidates;
  for (std::size_t at = 0; at + kEndSize <= tail.size(); ++at)
    if (get32(&tail[at]) == kEndSignature) candidates.push_back(candidateAt(tail, at, tailStart));
  return candidates;
}

// True when the record's central directory lies in the file and holds exactly its entries,
// central record after central record up to the end record.
bool centralDirectoryChecksOut(ArchiveSource& source, const Candidate& candidate) {
  const EndRecord& end = candidate.record;
  if (candidate.commentEnd > source.size() || end.disk != 0 || end.centralDisk != 0 ||
      end.entriesHere != end.entries || end.centralSize > end.position ||
      end.centralOffset > candidate.centralStart())
    return false;
  uint64_t at = candidate.centralStart();
  for (uint32_t i = 0; i < end.entries; ++i) {
    if (end.position - at < kCentralSize) return false;
    const uint8_t* record = source.read(at, kCentralSize).data();
    if (get32(record) != kCentralSignature) return false;
    at += centralRecordLength(record);
    if (at > end.position) return false;
  }
  return at == end.position;
}

// True when the member whose local header lies there reaches past position.
bool memberReaches(ArchiveSource& source, uint64_t header, uint64_t compressedSize,
                   uint64_t position) {
  if (header > source.size() || source.size() - header < kLocalSize) return false;
  const LocalHeader local = parseLocalHeader(source.copy(header, kLocalSize).data());
  return local.signature == kLocalSignature &&
         position < header + local.length() + compressedSize;
}

// True when position lies in the archive that the holder ends: in front of its first member (in
// a program that carries it), in one of its members (an archive stored in it), or in its central
// directory; not in a gap between its members, nor after it.
bool holds(ArchiveSource& source, const Candidate& holder, uint64_t position) {
  const EndRecord& end = holder.record;
  if (end.entries == 0 || position >= end.position) return false;
  if (position >= holder.centralStart()) return true;
  const uint64_t shift = holder.centralStart() - end.centralOffset;
  uint64_t firstHeader = UINT64_MAX;
  uint64_t at = holder.centralStart();
  for (uint32_t i = 0; i < end.entries; ++i) {
    const uint8_t* record = source.read(at, kCentralSize).data();
    const uint64_t header = get32(record + 42) + shift;
    const uint64_t compressedSize = get32(record + 20);
    at += centralRecordLength(record);
    firstHeader = std::min(firstHeader, header);
    // The local header's name and extra field are at most 2 x 0xFFFF bytes: read it only when
    // the member could reach that far.
    if (header <= position && position - header < kLocalSize + 2 * 0xFFFF + compressedSize &&
        memberReaches(source, header, compressedSize, position))
      return true;
  }
  return position < firstHeader;
}

// Of the records that check out, the archive's own (see end_record.h); null when none does.
const Candidate* chooseAmong(ArchiveSource& source, std::vector<Candidate>& candidates) {
  for (Candidate& inner : candidates)
    for (const Candidate& outer : candidates)
      if (outer.checksOut && outer.record.position < inner.record.position &&
          inner.record.position < outer.commentEnd)
        inner.insideComment = true;
  const auto usable = [](const Candidate& c) { return c.checksOut && !c.insideComment; };
  if (static_cast<std::size_t>(std::count_if(candidates.begin(), candidates.end(), usable)) >
      kMostUsable)
    throw damagedArchive("it holds too many end records to tell which is its own");
  const auto heldByAnother = [&](const Candidate& candidate) {
    return std::any_of(candidates.begin(), candidates.end(), [&](const Candidate& other) {
      return usable(other) && holds(source, other, candidate.record.position);
    });
  };
  for (const Candidate& candidate : candidates)
    if (usable(candidate) && !heldByAnother(candidate)) return &candidate;
  return nullptr;
}

// When no record checks out: the last one whose comment ends exactly at the end of the file,
// else the last one whose comment fits, so that the failure is told about the likeliest one.
const Candidate* likeliestOf(const std::vector<Candidate>& candidates, uint64_t fileSize) {
  const Candidate* fitting = nullptr;
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    if (it->commentEnd == fileSize) return &*it;
    if (it->commentEnd < fileSize && !fitting) fitting = &*it;
  }
  return fitting;
}

bool looksLikeZipStart(ArchiveSource& source) {
  return source.size() >= 4 && get32(source.read(0, 4).data()) == kLocalSignature;
}

}  // namespace

EndRecord findEndRecord(ArchiveSource& source) {
  const std::size_t tailSize =
      static_cast<std::size_t>(std::min<uint64_t>(source.size(), kEndSize + kLongestComment));
  const uint64_t tailStart = source.size() - tailSize;
  const std::vector<uint8_t> tail = source.copy(tailStart, tailSize);
  std::vector<Candidate> candidates = candidatesIn(tail, tailStart);
  const auto fits = [&](const Candidate& c) { return c.commentEnd <= source.size(); };
  if (static_cast<std::size_t>(std::count_if(candidates.begin(), candidates.end(), fits)) >
      kMostCandidates)
    throw damagedArchive("it holds too many end records to tell which is its own");
  for (Candidate& candidate : candidates)
    candidate.checksOut = centralDirectoryChecksOut(source, candidate);

  const Candidate* chosen = chooseAmong(source, candidates);
  if (!chosen) chosen = likeliestOf(candidates, source.size());
  if (!chosen) {
    if (looksLikeZipStart(source))
      throw damagedArchive("its end record is missing (the file is truncated)");
    throw UnzipError(TARVIK_UNZIP_NOT_ZIP, "the file is not a ZIP archive");
  }
  const EndRecord& end = chosen->record;
  if (end.zip64Locator || end.entries == 0xFFFF || end.centralSize == 0xFFFFFFFF ||
      end.centralOffset == 0xFFFFFFFF)
    throw unsupported("the archive uses ZIP64 extensions");
  if (end.disk != 0 || end.centralDisk != 0 || end.entriesHere != end.entries)
    throw unsupported("the archive is split over several disks");
  return end;
}

}  // namespace tarvik::unziplib
