// The drive that takes the media's disks. The disk in it is its folder of
// the tree; the others wait in <root>/disks/N until the person is asked
// for one and swaps it in.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace host {

class DiskDrive {
 public:
  DiskDrive(std::filesystem::path root, char drive, int inserted)
      : root_(std::move(root)), drive_(drive), inserted_(inserted) {}

  char Drive() const { return drive_; }
  int Inserted() const { return inserted_; }
  bool AtHand(int disk) const {
    std::error_code error;
    return std::filesystem::is_directory(Waiting(disk), error);
  }
  // Puts the disk in the drive away and `disk` (at hand) in its place.
  void Swap(const std::filesystem::path& driveFolder, int disk) {
    std::error_code error;
    std::filesystem::rename(driveFolder, Waiting(inserted_), error);
    std::filesystem::rename(Waiting(disk), driveFolder, error);
    inserted_ = disk;
  }

 private:
  std::filesystem::path Waiting(int disk) const { return root_ / "disks" / std::to_string(disk); }

  std::filesystem::path root_;
  char drive_ = 'D';
  int inserted_ = 1;
};

}  // namespace host
