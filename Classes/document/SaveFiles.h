#pragma once

#include "document/SaveFormat.h"

#include "platform/Paths.h"

#include <QHash>
#include <QString>

#include <vector>

// The files of a saved animation, all directly in the documents folder and named after the
// animation's save identifier N.
namespace savefiles {

using saveformat::kFramesPerPack;
using saveformat::kVersionFormat;

// "save-%d.plist": pack 0, whose "meta" reading uses.
QString indexFileName(int saveId);
// "save-%d-pack-%d.plist" for pack >= 1; pack 0 is the index file.
QString packFileName(int saveId, int pack);
// "bg-%d.jpg": the animation's own picture.
QString animationPictureFileName(int saveId);
// "bg-%d-%d.png" (N, position in pack): the frame picture shared by every pack, kept for
// readers that do not know a frame's "backgroundImageFile".
QString framePictureFileName(int saveId, int position);
// "bg-%d-%d-%d.png" (N, pack, position): a frame's own picture.
QString framePictureFileName(int saveId, int pack, int position);

// P for a file named exactly packFileName(saveId, P) with P >= 1 (as written: decimal, no sign
// or leading zeros); -1 for any other name.
int packNumber(int saveId, const QString& fileName);
// Whether a frame's "backgroundImageFile" may name this file: a plain file name of save N
// ("bg-N-..."), with no path separator, no "..", no control characters.
bool isFramePictureName(int saveId, const QString& fileName);

// An unfinished save is finished by its commit record, "save-%d.commit": written once every
// new file of the set is on disk under a temporary name, it lists the moves that put them in
// place and the files of the previous save the new one no longer needs (removed after the
// moves), and is removed when they are done. A reader that finds it reads the new files where
// they still lie under their temporary names.
QString commitRecordFileName(int saveId);
// ".~<final name>.<token>": where a new file of the set is written before it is moved in.
QString temporaryFileName(const QString& finalName, const QString& token);
// Whether a file is a temporary file of save N (of any token).
bool isTemporaryFileOf(int saveId, const QString& fileName);

// The moves a commit record still asks for: final file name -> temporary file name, for the
// moves whose temporary file still exists. Empty without a (readable) record.
QHash<QString, QString> pendingMoves(int saveId, const QString& folder);
// Finishes a save that was interrupted after its commit record was written, then removes the
// record and any temporary file of save N. False with *error when a move or removal fails.
bool finishInterruptedSave(int saveId, const QString& folder, QString* error = nullptr);

// N when the file is one of save N's (index, pack, picture, commit record or a temporary file
// of any of them); -1 for any other name.
int saveIdOfFile(const QString& fileName);

// The save files of a folder, listed once, for work over many saves (a listing per save would
// make it quadratic in the number of saves).
struct SaveListing {
    bool hasIndex = false;  // "save-N.plist"
    bool hasCommit = false; // "save-N.commit"
    std::vector<int> packs; // P of every "save-N-pack-P.plist", unsorted
};
struct FolderListing {
    QHash<int, SaveListing> saves; // by N, for every N that names an index, pack or record
    int highestId = 0;             // the highest N any file of any save set names
};
FolderListing listFolder(const QString& folder);

// Before a save: finishes every interrupted save whose commit record is there and removes the
// temporary files every unfinished save set left behind, whichever animation they were of.
// False with *error when something could not be finished or removed.
bool tidyFolder(const QString& folder, QString* error = nullptr);

// Deletes a save: its index file, pack files, commit record and temporary files. Pictures stay
// (nothing deletes pictures). False when one of them could not be removed.
bool removeSaveFiles(int saveId, const QString& folder = platform::documentsFolder());

} // namespace savefiles
