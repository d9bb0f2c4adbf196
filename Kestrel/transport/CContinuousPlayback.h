#pragma once
// Continuous playback: the end of a recording opens the next row, the end of a folder's list
// the next folder of the tree that holds recordings; a folder chosen in the tree is loaded.
#include "transport/TransportContext.h"

class QTreeWidgetItem;

namespace kestrel {

class CContinuousPlayback {
  public:
    explicit CContinuousPlayback(TransportContext& c) : c_(c) {}

    void OnEndOfMedia();
    // The end of the shown recording: false when the end was to be ignored.
    bool EndOfRecording();
    void NextRecording();
    void NextFolder();
    void OnFolderSelected(QTreeWidgetItem* current);

  private:
    bool LoadFolderOrFollowing(QTreeWidgetItem* item);
    void RebuildAllFilesTrack();

    TransportContext& c_;
};

} // namespace kestrel
