#pragma once

#include <memory>

// Shows how far a long face search has come and lets the user stop it.
class CSearchProgress {
public:
    virtual ~CSearchProgress() = default;
    // Told the share done, on the UI thread; false once the user cancelled.
    virtual bool Update(double done) = 0;
};

// The desktop's: a progress dialog with Cancel, shown once the search has
// taken half a second.
std::unique_ptr<CSearchProgress> MakeSearchProgress();
