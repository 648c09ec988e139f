// Accepting a file a peer offers: the dialog that chooses where it is saved,
// and the rules that decide whether that target is created, resumed,
// overwritten after asking, or refused.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "U_file.h"
#include "U_modalman.h"

class QLabel;
class QLineEdit;
class QToolButton;

enum class TSaveAction {
  Create,        // no file yet, or an empty one
  Resume,        // a shorter file: the transfer continues after its last byte
  AskOverwrite,  // a file as long as the offer or longer: received before, or another file
  AskFolder,     // the folder does not exist: made when the person agrees
  RefuseFolder,  // the folder cannot be written
  RefuseTarget,  // no file name, or something that is not a plain writable file
};

// What the file system says about a chosen path.
struct TSaveTarget {
  bool folderWritable = false;
  bool hasName = false;
  bool exists = false;
  bool regularFile = false;
  bool writable = false;
  uint64_t size = 0;
  bool folderMissing = false;
};

TSaveAction DecideSave(const TSaveTarget& target, uint64_t offered);
// Paths are in the file system's encoding.
TSaveTarget InspectSaveTarget(const std::string& path);
// The peer's name made safe and in the file system's encoding, joined to
// `folder`: whatever the peer sent, the result lies inside `folder`.
std::string SavePathFor(const std::string& folder, const char* offered);
// The folder part of `path`, with its trailing "/".
std::string FolderOf(const std::string& path);
// `dccDir` when it is an existing folder, else `fallback`, made when missing;
// with a trailing "/".
std::string StartFolder(const std::string& dccDir, const std::string& fallback);

// Asks for the name to save under, starting at `proposed`; empty when the
// person declines.
using TSaveNameChooser = std::function<QString(QWidget* parent, const QString& proposed)>;

class TmSaveFile : public TModalForm {
  Q_OBJECT

 public:
  TmSaveFile(QWidget* owner, uint64_t offeredSize);

  // After OK: the chosen path, and whether the file there is to be emptied first.
  std::string Path() const;
  bool Overwrite() const { return overwrite_; }

  QLabel* Label1;
  QLineEdit* eFileName;
  QToolButton* sbDown;
  QToolButton* sbNo;
  QToolButton* sbSetDir;
  // The save-file dialog; a file dialog unless replaced.
  TSaveNameChooser SD;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void sbDownClick();
  void sbNoClick();
  void sbSetDirClick();
  // False when the target is refused or the person keeps the existing file.
  bool TargetAccepted();
  // Makes the chosen path's folder, then decides again.
  bool MadeFolder();

  uint64_t offeredSize_;
  bool overwrite_ = false;
};

// Runs the dialog for an offer (nick and file name in CP949) and opens the
// chosen target: the handle to accept with, or kNoFile to decline. On
// acceptance `dccDir` becomes the chosen folder. An offer no longer `wanted`
// once the dialog closes opens nothing.
FileHandle AskSaveFile(const char* nick, const char* fileName, uint64_t size, std::string& dccDir,
                       const std::function<bool()>& wanted = nullptr);
