#pragma once
// A print spooler of the test's own: cupsd run as root in the foreground on a private socket and
// folder (configuration, spool, logs), with cups-pdf queues. Every program of the test process
// (Qt's print support, lpstat) talks to it through CUPS_SERVER. cups-pdf writes each job as a
// PDF into the PDF folder of the job's user (root's home); the test takes the files that
// appear there and removes them.
#include <filesystem>
#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace kiosk::test {

class PrivateCups {
public:
    // Starts cupsd; Reason() says why not when it cannot (not root, no cupsd, no cups-pdf).
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool Running() const { return pid_ > 0; }
    const std::string& Reason() const { return reason_; }

    // A cups-pdf queue, accepting and enabled; `makeDefault` makes it the default printer.
    void AddPdfQueue(const std::string& name, bool makeDefault);
    void Disable(const std::string& queue) const;
    void Enable(const std::string& queue) const;
    // The jobs waiting on the queue (lpstat -o).
    int PendingJobs(const std::string& queue) const;
    // The PDF files cups-pdf wrote since the last call (waiting up to `seconds` for `count`).
    std::vector<std::filesystem::path> NewPdfs(std::size_t count, int seconds);

    // Runs a command with CUPS_SERVER set; its standard output.
    std::string Run(const std::string& command) const;

private:
    std::vector<std::filesystem::path> PdfsNow() const;

    TempFolder folder_;
    std::filesystem::path socket_;
    std::filesystem::path pdfFolder_;
    std::vector<std::filesystem::path> seen_;
    std::vector<std::filesystem::path> taken_;
    int pid_ = -1;
    std::string reason_;
};

} // namespace kiosk::test
