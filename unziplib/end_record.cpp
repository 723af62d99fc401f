#include "unziplib/end_record.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "unziplib/extra_fields.h"
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
  std::optional<UnzipError> fault;  // why the record cannot be used, when its ZIP64 part fails
  bool checksOut = false;
  bool insideComment = false;

  uint64_t centralStart() const { return record.centralEnd - record.centralSize; }
};

Candidate candidateAt(std::span<const uint8_t> tail, std::size_t at, uint64_t tailStart) {
  const uint8_t* field = &tail[at];
  Candidate candidate;
  EndRecord& end = candidate.record;
  end.position = tailStart + at;
  end.centralEnd = end.position;
  end.disk = get16(field + 4);
  end.centralDisk = get16(field + 6);
  end.entriesHere = get16(field + 8);
  end.entries = get16(field + 10);
  end.centralSize = get32(field + 12);
  end.centralOffset = get32(field + 16);
  const std::size_t statedComment = get16(field + 20);
  const std::size_t commentLength = std::min(statedComment, tail.size() - at - kEndSize);
  end.comment.assign(reinterpret_cast<const char*>(field + kEndSize), commentLength);
  candidate.commentEnd = end.position + kEndSize + statedComment;
  return candidate;
}

bool callsForZip64(const EndRecord& end) {
  return end.disk == 0xFFFF || end.centralDisk == 0xFFFF || end.entriesHere == 0xFFFF ||
         end.entries == 0xFFFF || end.centralSize == 0xFFFFFFFF ||
         end.centralOffset == 0xFFFFFFFF;
}

// True when a ZIP64 end record starts at `at` and ends exactly at the locator.
bool zip64EndRecordAt(ArchiveSource& source, uint64_t at, uint64_t locator) {
  if (at > locator || locator - at < kZip64EndSize) return false;
  const uint8_t* record = source.read(at, kZip64EndSize).data();
  return get32(record) == kZip64EndSignature && get64(record + 4) == locator - at - 12;
}

// Version 2 of the ZIP64 end record, which an encrypted central directory needs, says so by the
// version needed to read it (6.2) or by the algorithm that encrypts the directory.
bool centralDirectoryEncrypted(ArchiveSource& source, uint64_t record, uint64_t length) {
  constexpr std::size_t kAlgorithmAt = 74;
  const uint8_t* fixed = source.read(record, kZip64EndSize).data();
  if ((get16(fixed + 14) & 0xFF) >= 62) return true;
  return length >= kAlgorithmAt + 2 && get16(source.read(record + kAlgorithmAt, 2).data()) != 0;
}

// Takes the candidate's values from the ZIP64 end record when its fields call for it and a
// locator lies before it. The locator's offset counts from the archive's start: the record is
// there, or, in an archive behind other data, just before the locator.
void widenFromZip64Record(ArchiveSource& source, Candidate& candidate) {
  EndRecord& end = candidate.record;
  if (!callsForZip64(end) || end.position < kZip64LocatorSize) return;
  const uint64_t locator = end.position - kZip64LocatorSize;
  const uint8_t* fields = source.read(locator, kZip64LocatorSize).data();
  if (get32(fields) != kZip64LocatorSignature) return;
  const uint64_t stated = get64(fields + 8);
  end.disks = get32(fields + 16);
  uint64_t at = stated;
  if (!zip64EndRecordAt(source, at, locator)) at = locator - std::min<uint64_t>(locator, kZip64EndSize);
  if (!zip64EndRecordAt(source, at, locator)) {
    candidate.fault = damagedArchive("its ZIP64 end record is missing");
    return;
  }
  if (centralDirectoryEncrypted(source, at, locator - at)) {
    candidate.fault = unsupported("the archive's central directory is encrypted");
    return;
  }
  const uint8_t* record = source.read(at, kZip64EndSize).data();
  end.disk = get32(record + 16);
  end.centralDisk = get32(record + 20);
  end.entriesHere = get64(record + 24);
  end.entries = get64(record + 32);
  end.centralSize = get64(record + 40);
  end.centralOffset = get64(record + 48);
  end.centralEnd = at;
  end.zip64 = true;
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
  if (candidate.fault || candidate.commentEnd > source.size() || end.disk != 0 ||
      end.centralDisk != 0 || end.disks > 1 || end.entriesHere != end.entries ||
      end.centralSize > end.centralEnd || end.centralOffset > candidate.centralStart())
    return false;
  uint64_t at = candidate.centralStart();
  for (uint64_t i = 0; i < end.entries; ++i) {
    if (end.centralEnd - at < kCentralSize) return false;
    const uint8_t* record = source.read(at, kCentralSize).data();
    if (get32(record) != kCentralSignature) return false;
    at += centralRecordLength(record);
    if (at > end.centralEnd) return false;
  }
  return at == end.centralEnd;
}

// The local header's offset and the compressed size that the central record at `at` gives.
WideFields memberFieldsAt(ArchiveSource& source, uint64_t at) {
  const uint8_t* record = source.read(at, kCentralSize).data();
  WideFields fields{get32(record + 24), get32(record + 20), get32(record + 42), get16(record + 34)};
  const uint64_t extraAt = at + kCentralSize + get16(record + 28);
  const std::size_t extraLength = get16(record + 30);
  widenFromZip64Field(source.read(extraAt, extraLength), fields, false);
  return fields;
}

// True when the member whose local header lies there reaches past position.
bool memberReaches(ArchiveSource& source, uint64_t header, uint64_t compressedSize,
                   uint64_t position) {
  if (header > source.size() || source.size() - header < kLocalSize) return false;
  const LocalHeader local = parseLocalHeader(source.copy(header, kLocalSize).data());
  return local.signature == kLocalSignature &&
         position < addClamped(header + local.length(), compressedSize);
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
  for (uint64_t i = 0; i < end.entries; ++i) {
    const WideFields member = memberFieldsAt(source, at);
    at += centralRecordLength(source.read(at, kCentralSize).data());
    const uint64_t header = addClamped(member.offset, shift);
    firstHeader = std::min(firstHeader, header);
    // The local header's name and extra field are at most 2 x 0xFFFF bytes: read it only when
    // the member could reach that far.
    if (header <= position &&
        position - header < addClamped(kLocalSize + 2 * 0xFFFF, member.compressedSize) &&
        memberReaches(source, header, member.compressedSize, position))
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
  for (Candidate& candidate : candidates) {
    if (candidate.commentEnd <= source.size()) widenFromZip64Record(source, candidate);
    candidate.checksOut = centralDirectoryChecksOut(source, candidate);
  }

  const Candidate* chosen = chooseAmong(source, candidates);
  if (!chosen) chosen = likeliestOf(candidates, source.size());
  if (!chosen) {
    if (looksLikeZipStart(source))
      throw damagedArchive("its end record is missing (the file is truncated)");
    throw UnzipError(TARVIK_UNZIP_NOT_ZIP, "the file is not a ZIP archive");
  }
  if (chosen->fault) throw *chosen->fault;
  const EndRecord& end = chosen->record;
  // The last part of a split archive: its disk numbers and counts agree with one another, and a
  // central directory that starts on this disk fits in it.
  const bool split = end.disk != 0 || end.centralDisk != 0 || end.disks > 1;
  const bool directoryFits =
      end.centralSize <= end.centralEnd && end.centralOffset <= end.centralEnd - end.centralSize;
  if (split && end.centralDisk <= end.disk && end.entriesHere <= end.entries &&
      (end.centralDisk < end.disk || directoryFits))
    throw unsupported("the archive is split over several disks");
  if (split || end.entriesHere != end.entries)
    throw damagedArchive("its end record contradicts itself");
  return end;
}

}  // namespace tarvik::unziplib
