#pragma once
// TVolumeInformation: the label of the volume holding Drive, as the file system
// stores it, and the remote location of a network volume. It never talks to the
// user: a failure goes to OnError (an errno value) and to the return value, and the
// caller decides what to show.

#include <functional>
#include <string>
#include <string_view>

#include "core/volumes/volume_service.h"

namespace arbel::volumes {

class TVolumeInformation {
public:
    explicit TVolumeInformation(VolumeService& service) : service_(service) {}

    std::string Drive;  // a path on the volume
    std::function<void(int errorNumber)> OnError;

    // The label; false (label untouched, OnError called) when no volume holds Drive.
    bool GetLabel(std::string& label);
    // Where a network volume comes from: "//server/share", "host:/export", or the
    // location of a gvfs share ("smb://nas/data/"); a local volume's mount point;
    // empty when no volume holds Drive.
    std::string UNCDrive();

private:
    VolumeService& service_;
};

// The location a gvfs share folder stands for: "smb-share:server=nas,share=data" ->
// "smb://nas/data/", "sftp:host=h,user=ann,port=2222" -> "sftp://ann@h:2222/".
// Empty when the name is not a gvfs mount name.
std::string gvfsLocation(std::string_view shareFolderName);

}  // namespace arbel::volumes
