#pragma once
// Opening the recording chosen in the file panel: the open request with its delay and
// time-out, the engine's open, the movie-ready message, the loader that decodes the data, and
// applying the loaded data to the views; also the prefetch of the recording after it and the
// reset of every playback view.
#include "transport/CPrefetchWorker.h"
#include "transport/TransportContext.h"

#include <cstdint>
#include <string>

namespace kestrel {

struct RecordingEntry;

class COpenSequence {
  public:
    explicit COpenSequence(TransportContext& c);
    ~COpenSequence();

    void SelectRecording(int index, int openMode);
    void OnRowSelected(int row);
    void OnOpenTimer();
    void OnOpenTimeout();
    void OnMovieReady();
    void OnLoaderDone(intptr_t result);
    void ResetPlaybackViews();
    const RecordingEntry* CurrentEntry() const;
    // A job needs every file free: the tick stops, the frame is kept for RestoreAfterJob and
    // the recording is closed.
    void CloseForJob();
    // After a job: the selected recording opened again (without holding the picture); false
    // when there is none to open.
    bool ReopenAfterJob();

  private:
    void OpenRequest(bool hold);
    bool LoadAndPlay();
    void StartPrefetch();
    void ApplyLoadedData();
    void EndWait();
    // Frees the shown recording's data and closes its movie.
    void CloseRecording();

    TransportContext& c_;
    CPrefetchWorker loader_;
    CPrefetchWorker prefetcher_;
    bool openArmed_ = true;
    std::string currentPath_; // the recording CurrentIndex stood for when it was selected
};

} // namespace kestrel
