#include "update/Install.h"

#include <vector>

#include "platform/FileSystem.h"
#include "update/UpdateState.h"

bool MoveReplacing(FileSystem& files, const std::string& from, const std::string& to) {
    if (files.RenameFile(from, to)) return true;
    if (!files.CopyFileOver(from, to)) return false;
    files.RemoveFile(from);
    return true;
}

namespace {

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BackupPathOf(const InstallMove& move) {
    return std::string(kInstallBackupFolder) + "\\" + FileNameOf(move.to);
}

// One move of the install as far as it got.
struct MoveDone {
    const InstallMove* move;
    bool backedUp;  // the engine's copy is in the backup folder
    bool moved;     // the new file is in the engine folder
};

// Keeps the engine's copy of move.to, if there is one, in the backup folder.
bool BackUp(FileSystem& files, const InstallMove& move, MoveDone& done) {
    if (!files.Exists(move.to)) return true;
    const std::string backup = BackupPathOf(move);
    files.RemoveFile(backup);  // a leftover of an earlier install
    if (files.RenameFile(move.to, backup)) {
        done.backedUp = true;
        return true;
    }
    // Renaming can fail where reading does not (a file held open without delete sharing).
    done.backedUp = files.CopyFileOver(move.to, backup);
    return done.backedUp;
}

// Undoes one move: the new file back into the update cache, the engine's copy back
// in place (also over a target that a failed copy may have cut short).
void Undo(FileSystem& files, const MoveDone& done) {
    if (done.moved) MoveReplacing(files, done.move->to, done.move->from);
    if (done.backedUp) MoveReplacing(files, BackupPathOf(*done.move), done.move->to);
}

}  // namespace

bool InstallDownloadedFiles(FileSystem& files) {
    files.MakeFolder(kInstallBackupFolder);
    std::vector<MoveDone> done;
    bool complete = true;
    for (const InstallMove& move : kInstallList) {
        MoveDone step{&move, false, false};
        const bool backedUp = BackUp(files, move, step);
        step.moved = backedUp && MoveReplacing(files, move.from, move.to);
        done.push_back(step);
        if (!step.moved) {
            complete = false;
            break;
        }
    }

    if (complete) {
        for (const MoveDone& step : done) {
            if (step.backedUp) files.RemoveFile(BackupPathOf(*step.move));
        }
    } else {
        for (auto it = done.rbegin(); it != done.rend(); ++it) Undo(files, *it);
    }
    files.RemoveFolder(kInstallBackupFolder);  // only when empty
    return complete;
}
