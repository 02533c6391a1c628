// Disk images of built media: a 1.44 MB FAT12 floppy image per disk, made
// with mtools, or one ISO 9660 image with Joliet names for a single CD,
// made with xorriso. Both get fixed dates and serials, so that the same
// media give the same image bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "media_build.h"

namespace media {

// A 1.44 MB floppy: 2847 clusters of 512 bytes for files, and 224 root
// directory entries, one of them the volume label.
inline constexpr std::uint64_t kFloppyCluster = 512;
inline constexpr std::uint64_t kFloppyClusters = 2847;
inline constexpr std::size_t kFloppyRootEntries = 224;
// --disk-size cd: 650 MB on one disk; the image itself must stay within a
// 74-minute disc's 333,000 sectors of 2048 bytes.
inline constexpr std::uint64_t kCdSize = 650ull << 20;
inline constexpr std::uint64_t kCdImageLimit = 333000ull * 2048;

enum class ImageKind { kNone, kFloppy, kCd };

// How the disks are counted for `kind`: a floppy's clusters and root
// entries, a CD's sectors, or plain bytes. Nothing, with `error`, when the
// requested size is larger than the image holds.
std::optional<DiskSpace> SpaceFor(ImageKind kind, std::uint64_t requested, std::string& error);

// A disk's files as the image will hold them.
struct DiskFile {
  std::string name;
  std::uint64_t size = 0;
};
// Why the files do not fit a 1.44 MB floppy with a volume label; empty
// when they fit.
std::string FloppyProblem(const std::vector<DiskFile>& files);

// Whether `name` is a short name as FAT keeps it: one to eight characters,
// optionally a dot and one to three more, of A-Z, 0-9 and ! # $ % & ' ( )
// - @ ^ _ ` { } ~. ISO 9660 with Joliet names holds every such name.
bool IsShortName(const std::string& name);

// Every problem the images would have with the manifest, before anything
// is written: names of its files that are not short names (by name and
// key), a label a FAT volume or ISO 9660 volume id cannot hold.
std::vector<std::string> ImageProblems(const Manifest& manifest, ImageKind kind);

// The volume label of floppy `disk`: the manifest's Label, or else its
// Title, upper case, cut so that with the disk number it has at most 11
// characters ("DEMO SETUP1"); characters a label cannot hold in the title
// become "_".
std::string FloppyLabel(const Manifest& manifest, int disk);
// The CD's volume id: Label or Title, upper case, at most 32 characters
// of A-Z, 0-9 and "_" (any other character becomes "_").
std::string CdVolumeId(const Manifest& manifest);

// The date of every file of the media, in seconds since 1970: the
// environment's SOURCE_DATE_EPOCH when it is set, else the newest
// modification time of `inputs` (the manifest and the files it names),
// kept within the dates FAT can hold (1980 to 2107). `error` when
// SOURCE_DATE_EPOCH is not a number.
std::optional<std::int64_t> MediaDate(const std::vector<std::filesystem::path>& inputs, std::string& error);

// The files the media are made of: SETUP.EXE, the toolkit beside it, the
// main setup program, the files and the splash image.
std::vector<std::filesystem::path> ManifestInputs(const Manifest& manifest);

// Gives every file and folder of OUT/DISK1..disks the date `epoch`.
bool DateMedia(const std::filesystem::path& out, int disks, std::int64_t epoch, std::string& error);

// Writes OUT/DISKn.IMG for each of the `disks` floppies, or OUT/DISK1.ISO
// for a CD, from the media folders; returns the images written. Nothing,
// with `error`, when a tool is missing or fails or a disk does not fit.
std::optional<std::vector<std::filesystem::path>> WriteImages(const Manifest& manifest, ImageKind kind,
                                                              const std::filesystem::path& out, int disks,
                                                              std::int64_t epoch, std::string& error);

}  // namespace media
