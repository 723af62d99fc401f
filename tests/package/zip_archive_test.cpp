#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "package/deflate.h"
#include "package/zip_reader.h"
#include "package/zip_writer.h"
#include "tests/support/temp_folder.h"

namespace tarvik::package {
namespace {

using tarvik::testing::TempFolder;

const DosDateTime kMonday{2001, 5, 14, 8, 30, 2};

std::string bitmapLike() {
  std::string bytes;
  for (int row = 0; row < 300; ++row)
    for (int column = 0; column < 64; ++column)
      bytes.push_back(static_cast<char>((column * 3 + (row % 7 == 0 ? row : 0)) & 0xFF));
  return bytes;
}

ZipEntryAttributes fileAttributes(std::string name, uint16_t internal = 0) {
  return {std::move(name), kMonday, 20, 20, internal, 0x81B60020};
}

// texture/a.bmp deflated, scenery/b.bgl stored, then the folder entry "texture/".
std::string sampleArchive(std::string prefix = {}) {
  std::ostringstream out;
  out << prefix;  // bytes already in the stream count for nothing in the archive's offsets
  ZipWriter writer(out);
  writer.addDeflated(fileAttributes("texture/a.bmp", kInternalAttributeText), bitmapLike());
  writer.addStored(fileAttributes("scenery/b.bgl"), std::string("\0\1bgl", 5));
  writer.addStored({"texture/", kMonday, 20, 10, 0, 0x41FF0010}, {});
  const ZipArchiveTotals totals = writer.finish();
  EXPECT_EQ(totals.archiveBytes + prefix.size(), out.str().size());
  EXPECT_EQ(totals.uncompressedBytes, bitmapLike().size() + 5);
  return out.str();
}

TEST(ZipArchive, WritesHeadersThatReadBack) {
  TempFolder folder;
  const std::string archive = sampleArchive();
  ZipReader reader(folder.write("sample.zip", archive));

  EXPECT_EQ(reader.shift(), 0u);
  EXPECT_EQ(reader.fileSize(), archive.size());
  const ZipEndRecord& end = reader.endRecord();
  EXPECT_EQ(end.position, archive.size() - kEndRecordSize);
  EXPECT_EQ(end.entriesOnDisk, 3);
  EXPECT_EQ(end.entriesTotal, 3);
  EXPECT_EQ(end.commentLength, 0);
  EXPECT_EQ(end.centralDirectorySize, 3 * kCentralHeaderSize + 13 + 13 + 8);
  EXPECT_EQ(reader.centralDirectoryPosition(), end.centralDirectoryOffset);

  ASSERT_EQ(reader.entries().size(), 3u);
  const ZipCentralEntry& bitmap = reader.entries()[0];
  EXPECT_EQ(bitmap.name(), "texture/a.bmp");
  EXPECT_EQ(bitmap.versionMadeBy, 20);
  EXPECT_EQ(bitmap.fields.versionNeeded, 20);
  EXPECT_EQ(bitmap.fields.flags, 0);
  EXPECT_EQ(bitmap.fields.method, kMethodDeflated);
  EXPECT_EQ(DosDateTime::fromDos(bitmap.fields.date, bitmap.fields.time), kMonday);
  EXPECT_EQ(bitmap.fields.crc32, crc32Of(bitmapLike()));
  EXPECT_EQ(bitmap.fields.uncompressedSize, bitmapLike().size());
  EXPECT_LT(bitmap.fields.compressedSize, bitmap.fields.uncompressedSize);
  EXPECT_EQ(bitmap.internalAttributes, kInternalAttributeText);
  EXPECT_EQ(bitmap.externalAttributes, 0x81B60020u);
  EXPECT_EQ(bitmap.localHeaderOffset, 0u);
  EXPECT_EQ(bitmap.local.fields, bitmap.fields);
  EXPECT_EQ(bitmap.local.dataPosition, kLocalHeaderSize + 13);
  EXPECT_EQ(reader.extract(bitmap), bitmapLike());

  const ZipCentralEntry& scenery = reader.entries()[1];
  EXPECT_EQ(scenery.fields.method, kMethodStored);
  EXPECT_EQ(scenery.localHeaderOffset, bitmap.dataEnd());
  EXPECT_EQ(reader.extract(scenery), std::string("\0\1bgl", 5));

  const ZipCentralEntry& textureFolder = reader.entries()[2];
  EXPECT_TRUE(textureFolder.isFolder());
  EXPECT_FALSE(scenery.isFolder());
  EXPECT_EQ(textureFolder.fields.versionNeeded, 10);
  EXPECT_EQ(textureFolder.fields.crc32, 0u);
  EXPECT_EQ(textureFolder.fields.compressedSize, 0u);
  EXPECT_EQ(textureFolder.externalAttributes, 0x41FF0010u);
  EXPECT_EQ(textureFolder.dataEnd(), reader.centralDirectoryPosition());
  EXPECT_EQ(reader.extract(textureFolder), "");
}

TEST(ZipArchive, FindsAnArchiveBehindOtherBytesByItsShift) {
  TempFolder folder;
  std::string program(102467, '\0');
  program.replace(0, 2, "MZ");
  program.replace(program.size() - 100, 4, "PK\x05\x06");  // no end record of its own
  const std::string archive = sampleArchive(program);
  ZipReader reader(folder.write("installer.exe", archive));

  EXPECT_EQ(reader.shift(), program.size());
  EXPECT_EQ(reader.centralDirectoryPosition(),
            reader.endRecord().centralDirectoryOffset + program.size());
  // Stored offsets count from the archive's start, not from the file's.
  ASSERT_EQ(reader.entries().size(), 3u);
  EXPECT_EQ(reader.entries()[0].localHeaderOffset, 0u);
  EXPECT_EQ(reader.entries()[0].local.position, program.size());
  EXPECT_EQ(reader.extract(reader.entries()[0]), bitmapLike());

  // The archive's bytes on their own are the same archive without a shift.
  ZipReader alone(folder.write("alone.zip", archive.substr(program.size())));
  EXPECT_EQ(alone.shift(), 0u);
  EXPECT_EQ(alone.entries()[1].localHeaderOffset, reader.entries()[1].localHeaderOffset);
}

TEST(ZipArchive, PassesOverTheSignatureInsideAnArchiveComment) {
  TempFolder folder;
  std::string archive = sampleArchive();
  // Give the archive a comment that starts like an end record of its own.
  const std::string comment = std::string("PK\x05\x06", 4) + std::string(26, '\0');
  archive[archive.size() - 2] = static_cast<char>(comment.size());
  archive += comment;
  ZipReader reader(folder.write("commented.zip", archive));
  EXPECT_EQ(reader.endRecord().commentLength, comment.size());
  EXPECT_EQ(reader.endRecord().position, archive.size() - comment.size() - kEndRecordSize);
  EXPECT_EQ(reader.entries().size(), 3u);
}

TEST(ZipArchive, RefusesFilesThatHoldNoWholeArchive) {
  TempFolder folder;
  const std::string archive = sampleArchive();
  EXPECT_THROW(ZipReader(folder.write("empty.zip", "")), ZipFormatError);
  EXPECT_THROW(ZipReader(folder.write("text.zip", std::string(500, 'x'))), ZipFormatError);
  EXPECT_THROW(ZipReader(folder.path() / "missing.zip"), ZipFormatError);
  // The last byte missing: no end record reaches the end of the file.
  EXPECT_THROW(ZipReader(folder.write("cut.zip", archive.substr(0, archive.size() - 1))),
               ZipFormatError);
  // The front missing: the central directory would start before the file.
  EXPECT_THROW(ZipReader(folder.write("tail.zip", archive.substr(archive.size() - 60))),
               ZipFormatError);
}

TEST(ZipArchive, RefusesHeadersThatDoNotHoldTogether) {
  TempFolder folder;
  const std::string archive = sampleArchive();
  ZipReader good(folder.write("good.zip", archive));
  const uint64_t directory = good.centralDirectoryPosition();
  const uint64_t second = good.entries()[1].local.position;

  std::string badLocal = archive;
  badLocal[second] = 'X';
  EXPECT_THROW(ZipReader(folder.write("local.zip", badLocal)), ZipFormatError);

  std::string badCentral = archive;
  badCentral[directory + kCentralHeaderSize + 13] = 'X';  // the second central entry
  EXPECT_THROW(ZipReader(folder.write("central.zip", badCentral)), ZipFormatError);

  std::string wrongCount = archive;
  wrongCount[good.endRecord().position + 8] = 4;
  wrongCount[good.endRecord().position + 10] = 4;
  EXPECT_THROW(ZipReader(folder.write("count.zip", wrongCount)), ZipFormatError);

  std::string farOffset = archive;
  farOffset[directory + 42 + 3] = 0x70;  // the first entry's local header offset
  EXPECT_THROW(ZipReader(folder.write("offset.zip", farOffset)), ZipFormatError);
}

TEST(ZipArchive, ExtractRefusesDataThatDoesNotMatchItsCrc) {
  TempFolder folder;
  std::string archive = sampleArchive();
  const uint64_t stored =
      ZipReader(folder.write("good.zip", archive)).entries()[1].local.dataPosition;
  archive[stored + 2] = 'B';
  ZipReader reader(folder.write("changed.zip", archive));
  EXPECT_THROW(reader.extract(reader.entries()[1]), ZipFormatError);
  EXPECT_EQ(reader.readStored(reader.entries()[1]), std::string("\0\1Bgl", 5));
  EXPECT_EQ(reader.extract(reader.entries()[0]), bitmapLike());
}

TEST(ZipArchive, ExtractRefusesDamagedDeflateData) {
  TempFolder folder;
  std::string archive = sampleArchive();
  const ZipCentralEntry bitmap = ZipReader(folder.write("good.zip", archive)).entries()[0];
  archive[bitmap.local.dataPosition] = static_cast<char>(0xFF);
  ZipReader reader(folder.write("damaged.zip", archive));
  EXPECT_THROW(reader.extract(reader.entries()[0]), ZipFormatError);
}

TEST(ZipWriter, RefusesEntriesThatCannotBeWritten) {
  std::ostringstream out;
  ZipWriter writer(out);
  EXPECT_THROW(writer.addStored(fileAttributes(""), "x"), ZipWriteError);
  ZipEntryAttributes badTime = fileAttributes("a.bgl");
  badTime.modified.second = 3;
  EXPECT_THROW(writer.addStored(badTime, "x"), std::invalid_argument);
  EXPECT_EQ(writer.entryCount(), 0u);
  EXPECT_EQ(out.str(), "");  // nothing half written
  writer.addStored(fileAttributes("a.bgl"), "x");
  writer.finish();
  EXPECT_THROW(writer.addStored(fileAttributes("b.bgl"), "x"), ZipWriteError);
  EXPECT_THROW(writer.finish(), ZipWriteError);
}

}  // namespace
}  // namespace tarvik::package
