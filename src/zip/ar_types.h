// Kinds, states, options and constants shared by the archive classes.
#pragma once

#include <cstdint>
#include <limits>

namespace vornel {

enum TArArchiveType {
  atUnknown,
  atZip,
  atSpannedZip,
  atSelfExtZip,
  atTar,
  atGzip,
  atGzippedTar,
  atCab,
  atBzip2,
  atBzippedTar
};

enum TArArchiveStatus { asInvalid, asIdle, asBusy };

enum TArArchiveAction {
  aaFailed,
  aaNone,
  aaAdd,
  aaDelete,
  aaFreshen,
  aaMove,
  aaReplace,
  aaStreamAdd
};

enum TArProcessType { ptAdd, ptDelete, ptExtract, ptFreshen, ptMove, ptReplace, ptFoundUnhandled };

enum TArErrorClass {
  ecArchive,
  ecInOutError,
  ecFilerError,
  ecFileCreateError,
  ecFileOpenError,
  ecCabError,
  ecOther
};

// Extract options, as bits of a set.
enum TArExtractOption : unsigned { eoCreateDirs = 1u << 0, eoRestorePath = 1u << 1 };
using TArExtractOptions = unsigned;

// Store options (kept for the archive's defaults; nothing here stores).
enum TArStoreOption : unsigned {
  soStripDrive = 1u << 0,
  soStripPath = 1u << 1,
  soRemove = 1u << 2,
  soRecurse = 1u << 3
};
using TArStoreOptions = unsigned;

enum TArZipHostOS : std::uint8_t {
  hosDOS,
  hosAmiga,
  hosVAX,
  hosUnix,
  hosVMCMS,
  hosAtari,
  hosOS2,
  hosMacintosh,
  hosZSystem,
  hosCPM,
  hosNTFS,
  hosTOPS20,
  hosMVS,
  hosWinNT,
  hosVSE,
  hosQDOS,
  hosRISC,
  hosVFAT,
  hosAltMVS,
  hosBeOS,
  hosTandem,
  hosOS400,
  hosTHEOS,
  hosDarwin,
  hosAtheOS
};

enum TArZipCompressionMethod : std::uint16_t {
  cmStored = 0,
  cmShrunk = 1,
  cmReduced1 = 2,
  cmReduced2 = 3,
  cmReduced3 = 4,
  cmReduced4 = 5,
  cmImploded = 6,
  cmTokenized = 7,
  cmDeflated = 8,
  cmEnhancedDeflated = 9,
  cmDCLImploded = 10,
  cmBzip2 = 12,
  cmLZMA = 14,
  cmIBMTerse = 18,
  cmLZ77 = 19,
  cmZstd = 93,
  cmXZ = 95,
  cmJPEG = 96,
  cmWavPack = 97,
  cmPPMd = 98
};

inline constexpr std::uint32_t Ar_ZipLocalFileHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t Ar_ZipDataDescriptorSignature = 0x08074B50;
inline constexpr std::uint32_t Ar_ZipCentralDirectoryFileHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t Ar_Zip64EndCentralDirectorySignature = 0x06064B50;
inline constexpr std::uint32_t Ar_Zip64EndCentralDirectoryLocatorSignature = 0x07064B50;
inline constexpr std::uint32_t Ar_ZipEndCentralDirectorySignature = 0x06054B50;
inline constexpr std::uint32_t Ar_ZipSpannedSetSignature = 0x08074B50;
inline constexpr std::uint16_t Ar_WindowsExeSignature = 0x5A4D;
inline constexpr std::uint32_t Ar_LinuxExeSignature = 0x464C457F;

inline constexpr std::uint16_t Ar_Zip64SubfieldID = 0x0001;
inline constexpr std::uint16_t Ar_InfoZipUnicodePathSubfieldID = 0x7075;
inline constexpr std::uint16_t Ar_XceedUnicodePathSubfieldID = 0x554E;
inline constexpr std::uint32_t Ar_XceedUnicodePathSignature = 0x5843554E;

// The highest version needed to extract that is accepted.
inline constexpr std::uint8_t Ar_ZipVersion = 63;
inline constexpr std::uint8_t ArDefPasswordRetries = 3;

// General-purpose flag bits.
inline constexpr std::uint16_t ArFileIsEncryptedFlag = 0x0001;
inline constexpr std::uint16_t ArHasDataDescriptorFlag = 0x0008;
inline constexpr std::uint16_t ArLanguageEncodingFlag = 0x0800;

// File attributes of the items.
inline constexpr std::uint32_t faReadOnly = 0x01;
inline constexpr std::uint32_t faHidden = 0x02;
inline constexpr std::uint32_t faSysFile = 0x04;
inline constexpr std::uint32_t faDirectory = 0x10;
inline constexpr std::uint32_t faArchive = 0x20;

// Percentage of done in total: 0 when the total is 0 or less, 100 once done
// reaches it, otherwise (done * 100) div total.
inline std::uint8_t ArPercentage(std::int64_t done, std::int64_t total) {
  if (total <= 0)
    return 0;
  if (done >= total)
    return 100;
  if (done <= 0)
    return 0;
  if (done <= INT64_MAX / 100)
    return static_cast<std::uint8_t>(done * 100 / total);
  return static_cast<std::uint8_t>(static_cast<long double>(done) * 100 / total);
}

}  // namespace vornel
