// Jobs: a document written in many pieces reaches a file port, a raw TCP port or
// the output file the writer named, byte for byte; an aborted or cancelled job
// reaches nothing; a short write and a failed delivery are reported; the queue
// shows a job while it is being written, to this process and to another one.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/machine.h"
#include "platform/base/machine_db.h"
#include "tests/platform/spooler_test_helpers.h"
#include "tests/support/loopback_listener.h"

namespace {

using namespace spltest;
namespace fs = std::filesystem;

using testsupport::LoopbackListener;

Bytes Payload(size_t size, uint32_t seed) {
  Bytes bytes(size);
  for (BYTE& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<BYTE>(seed >> 16);
  }
  return bytes;
}

Bytes ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes the payload in pieces of uneven sizes, ending a page now and then.
void WriteInPieces(HANDLE printer, const Bytes& payload) {
  static const size_t kPieces[] = {1, 13, 4096, 65536, 7, 100000, 512};
  size_t offset = 0;
  for (size_t i = 0; offset < payload.size(); ++i) {
    DWORD piece = static_cast<DWORD>(std::min(kPieces[i % std::size(kPieces)], payload.size() - offset));
    DWORD written = 0;
    BYTE* data = const_cast<BYTE*>(payload.data() + offset);
    ASSERT_TRUE(WritePrinter(printer, data, piece, &written)) << GetLastError();
    ASSERT_EQ(written, piece);
    offset += piece;
    if (i % 3 == 2) {
      ASSERT_TRUE(EndPagePrinter(printer)) << GetLastError();
    }
  }
}

class SpoolerJobsTest : public SpoolerTest {
 protected:
  // A printer on the given port, open for use.
  static HANDLE AddPrinterOnPort(const std::string& name, const std::string& port) {
    std::string printerName = name;
    std::string portName = port;
    std::string driverName = kDriver;
    PRINTER_INFO_2A info{};
    info.pPrinterName = printerName.data();
    info.pPortName = portName.data();
    info.pDriverName = driverName.data();
    info.Priority = 1;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    EXPECT_NE(handle, 0u) << GetLastError();
    return handle;
  }

  static DWORD StartDoc(HANDLE printer, const std::u16string& document, const std::u16string& outputFile = u"",
                        const std::u16string& datatype = u"") {
    std::u16string name = document;
    std::u16string output = outputFile;
    std::u16string type = datatype;
    DOC_INFO_1W info{name.data(), output.empty() ? nullptr : output.data(), type.empty() ? nullptr : type.data()};
    return StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&info));
  }

  // The printer's queue, level 1, through the two-call convention.
  static std::vector<JOB_INFO_1W> Queue(HANDLE printer, Bytes& storage) {
    DWORD needed = 0;
    DWORD returned = 0;
    if (EnumJobsW(printer, 0, 100, 1, nullptr, 0, &needed, &returned)) return {};
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    storage.assign(needed, 0);
    EXPECT_TRUE(EnumJobsW(printer, 0, 100, 1, storage.data(), needed, &needed, &returned)) << GetLastError();
    auto* jobs = reinterpret_cast<JOB_INFO_1W*>(storage.data());
    return std::vector<JOB_INFO_1W>(jobs, jobs + returned);
  }

  std::vector<fs::path> SpoolFiles() const {
    std::vector<fs::path> files;
    fs::path folder = Host("C:\\Windows\\System32\\spool\\PRINTERS");
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) files.push_back(entry.path());
    return files;
  }

  // A child that starts a job on the printer, writes into it and then waits
  // to be killed; answers its id once the job is written, or -1.
  static pid_t StartJobAndWait(const std::string& printerName) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
      ::close(ready[0]);
      HANDLE own = OpenA(printerName);
      Bytes payload = Payload(5000, 4);
      DWORD written = 0;
      const char ok =
          own && StartDoc(own, u"Killed") != 0 && WritePrinter(own, payload.data(), 5000, &written) ? 'y' : 'n';
      if (::write(ready[1], &ok, 1) != 1) _exit(1);
      for (;;) pause();
    }
    ::close(ready[1]);
    char ok = 0;
    const bool written = ::read(ready[0], &ok, 1) == 1 && ok == 'y';
    ::close(ready[0]);
    if (written) return child;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return -1;
  }

  // Files left in a folder other than the expected ones (temporary copies).
  static std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(SpoolerJobsTest, JobWrittenInManyPiecesReachesItsPortByteForByte) {
  LoopbackListener prefixed;
  LoopbackListener plain;
  fs::create_directories(Host("C:\\Ports"));
  // An older, longer job at the file port must be replaced whole, not overwritten in place.
  { std::ofstream(Host("C:\\Ports\\out.prn"), std::ios::binary) << std::string(500000, 'x'); }

  struct Case {
    std::string port;
    LoopbackListener* listener;  // null: the port is the file C:\Ports\out.prn
  } cases[] = {
      {"C:\\Ports\\out.prn", nullptr},
      {"IP_127.0.0.1:" + std::to_string(prefixed.port()), &prefixed},
      {"127.0.0.1:" + std::to_string(plain.port()), &plain},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    Printer printer(AddPrinterOnPort("Printer " + std::to_string(++n), c.port));
    Bytes payload = Payload(400000 + n, n);
    DWORD jobId = StartDoc(printer, u"Many pieces");
    ASSERT_NE(jobId, 0u) << GetLastError();
    WriteInPieces(printer, payload);
    if (c.listener) c.listener->Receive();
    ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();

    Bytes got = c.listener ? c.listener->Received() : ReadHostFile(Host("C:\\Ports\\out.prn"));
    EXPECT_EQ(got.size(), payload.size());
    EXPECT_TRUE(got == payload) << "the delivered bytes differ";
    // A delivered job leaves the queue and the spool folder.
    Bytes storage;
    EXPECT_TRUE(Queue(printer, storage).empty());
    EXPECT_TRUE(SpoolFiles().empty());
  }
  EXPECT_EQ(FilesIn(Host("C:\\Ports")), std::vector<std::string>{"out.prn"}) << "a temporary copy was left";
}

TEST_F(SpoolerJobsTest, AbortedOrAbandonedJobReachesNoPort) {
  LoopbackListener listener;
  fs::create_directories(Host("C:\\Ports"));
  const std::string ports[] = {"C:\\Ports\\never.prn", "IP_127.0.0.1:" + std::to_string(listener.port())};
  for (const std::string& port : ports) {
    for (bool closeWithoutEnd : {false, true}) {
      SCOPED_TRACE(port + (closeWithoutEnd ? " closed without EndDocPrinter" : " aborted"));
      Printer printer(AddPrinterOnPort(closeWithoutEnd ? "Closed" : "Aborted", port));
      ASSERT_NE(StartDoc(printer, u"Thrown away"), 0u) << GetLastError();
      WriteInPieces(printer, Payload(70000, 5));
      if (closeWithoutEnd) {
        printer.Close();
      } else {
        EXPECT_TRUE(AbortPrinter(printer)) << GetLastError();
        Bytes storage;
        EXPECT_TRUE(Queue(printer, storage).empty());
        // The document is over: nothing more can be written to it.
        DWORD written = 1;
        BYTE byte = 0;
        EXPECT_FALSE(WritePrinter(printer, &byte, 1, &written));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SPL_NO_STARTDOC));
        EXPECT_EQ(written, 0u);
      }
      EXPECT_FALSE(fs::exists(Host("C:\\Ports\\never.prn")));
      EXPECT_FALSE(listener.HasPendingConnection());
      EXPECT_TRUE(SpoolFiles().empty());
      // Delete the printer so the next case can take its name again.
      Printer admin(OpenA(closeWithoutEnd ? "Closed" : "Aborted"));
      ASSERT_TRUE(DeletePrinter(admin)) << GetLastError();
    }
  }
  EXPECT_TRUE(FilesIn(Host("C:\\Ports")).empty());
}

TEST_F(SpoolerJobsTest, ShortWriteIsReportedWithWhatWent) {
  fs::create_directories(Host("C:\\Ports"));
  Printer printer(AddPrinterOnPort("Short", "C:\\Ports\\short.prn"));
  // Beyond anything the machine database writes in this test, so only the spool file hits the limit.
  constexpr size_t kBefore = 8 << 20;
  constexpr DWORD kRoom = 100;
  constexpr DWORD kPiece = 1000;
  Bytes payload = Payload(kBefore + kPiece, 9);
  ASSERT_NE(StartDoc(printer, u"Short"), 0u) << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WritePrinter(printer, payload.data(), kBefore, &written)) << GetLastError();

  // A file-size limit makes the spool file take only part of the next piece.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = kBefore + kRoom;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  written = 12345;
  BOOL ok = WritePrinter(printer, payload.data() + kBefore, kPiece, &written);
  DWORD error = GetLastError();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ok);
  EXPECT_EQ(error, DWORD(ERROR_DISK_FULL));
  ASSERT_EQ(written, kRoom);
  // The writer goes on from where it stopped; the job is then whole.
  DWORD rest = 0;
  ASSERT_TRUE(WritePrinter(printer, payload.data() + kBefore + kRoom, kPiece - kRoom, &rest)) << GetLastError();
  EXPECT_EQ(rest, kPiece - kRoom);
  ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
  EXPECT_TRUE(ReadHostFile(Host("C:\\Ports\\short.prn")) == payload);
}

TEST_F(SpoolerJobsTest, QueueShowsOpenJobsToThisAndAnotherProcess) {
  fs::create_directories(Host("C:\\Ports"));
  Printer writer(AddPrinterOnPort("Queued", "C:\\Ports\\queued.prn"));
  Printer second(OpenA("Queued"));
  DWORD first = StartDoc(writer, u"報告書");
  ASSERT_NE(first, 0u) << GetLastError();
  Bytes payload = Payload(1234, 3);
  DWORD written = 0;
  ASSERT_TRUE(StartPagePrinter(writer));
  ASSERT_TRUE(WritePrinter(writer, payload.data(), 1000, &written));
  ASSERT_TRUE(EndPagePrinter(writer));
  ASSERT_TRUE(StartPagePrinter(writer));
  ASSERT_TRUE(WritePrinter(writer, payload.data() + 1000, 234, &written));
  ASSERT_TRUE(EndPagePrinter(writer));
  DWORD other = StartDoc(second, u"Second");
  ASSERT_NE(other, 0u) << GetLastError();
  EXPECT_NE(other, first);

  // Level 2 in both widths, through the two-call convention.
  Bytes wide = FetchExact([&](BYTE* buffer, DWORD size, DWORD* needed) {
    DWORD returned = 0;
    BOOL ok = EnumJobsW(writer, 0, 10, 2, buffer, size, needed, &returned);
    if (ok) {
      EXPECT_EQ(returned, 2u);
    }
    return ok;
  });
  ASSERT_GE(wide.size(), 2 * sizeof(JOB_INFO_2W));
  const auto* jobs = reinterpret_cast<const JOB_INFO_2W*>(wide.data());
  EXPECT_EQ(jobs[0].JobId, first);
  EXPECT_EQ(std::u16string(jobs[0].pDocument), u"報告書");
  EXPECT_EQ(std::u16string(jobs[0].pPrinterName), u"Queued");
  EXPECT_EQ(std::u16string(jobs[0].pUserName), platform::Utf16FromUtf8(platform::CurrentUser()));
  EXPECT_EQ(std::u16string(jobs[0].pDatatype), u"RAW");
  EXPECT_TRUE(jobs[0].Status & JOB_STATUS_SPOOLING);
  EXPECT_EQ(jobs[0].TotalPages, 2u);
  EXPECT_EQ(jobs[0].Size, 1234u);
  EXPECT_EQ(jobs[0].Position, 1u);
  EXPECT_EQ(jobs[1].JobId, other);
  EXPECT_EQ(jobs[1].Position, 2u);
  EXPECT_TRUE(InsideBuffer(jobs[1].pDocument, wide));

  Bytes ansi = FetchExact(
      [&](BYTE* buffer, DWORD size, DWORD* needed) { return GetJobA(second, first, 2, buffer, size, needed); });
  const auto* job = reinterpret_cast<const JOB_INFO_2A*>(ansi.data());
  EXPECT_EQ(std::string(job->pDocument), Ansi("報告書"));
  EXPECT_EQ(job->Size, 1234u);

  // FirstJob and NoJobs pick a window of the queue.
  Bytes window(4096);
  DWORD needed = 0;
  DWORD returned = 0;
  ASSERT_TRUE(EnumJobsW(writer, 1, 1, 1, window.data(), DWORD(window.size()), &needed, &returned));
  ASSERT_EQ(returned, 1u);
  EXPECT_EQ(reinterpret_cast<JOB_INFO_1W*>(window.data())->JobId, other);

  // Another process sees both jobs and what the writer stored at its last page end.
  pid_t child = fork();
  if (child == 0) {
    int status = 0;
    HANDLE printer = OpenA("Queued");
    JOB_INFO_2W* info = nullptr;
    Bytes buffer(8192);
    DWORD size = 0;
    DWORD count = 0;
    if (!printer || !EnumJobsW(printer, 0, 10, 2, buffer.data(), DWORD(buffer.size()), &size, &count)) status |= 1;
    info = reinterpret_cast<JOB_INFO_2W*>(buffer.data());
    if (count != 2 || info[0].JobId != first || info[0].Size != 1234 || info[0].TotalPages != 2) status |= 2;
    _exit(status);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;

  // Once delivered, a job leaves the queue; the other stays.
  ASSERT_TRUE(EndDocPrinter(writer)) << GetLastError();
  Bytes storage;
  auto left = Queue(writer, storage);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].JobId, other);
  EXPECT_EQ(left[0].Position, 1u);
  DWORD size = 0;
  EXPECT_FALSE(GetJobW(writer, first, 1, nullptr, 0, &size));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(AbortPrinter(second));
}

TEST_F(SpoolerJobsTest, OutputFileOfTheDocumentOverridesThePort) {
  LoopbackListener listener;
  fs::create_directories(Host("C:\\Ports"));
  fs::create_directories(Host("C:\\Users\\Out"));
  const std::string ports[] = {"FILE:", "IP_127.0.0.1:" + std::to_string(listener.port()), "C:\\Ports\\port.prn"};
  int n = 0;
  for (const std::string& port : ports) {
    SCOPED_TRACE(port);
    Printer printer(AddPrinterOnPort("Printer " + std::to_string(++n), port));
    Bytes payload = Payload(150000, n);
    // Case does not matter in a Windows path: the file lands in the existing folder.
    std::u16string output = u"c:\\users\\out\\Job" + platform::Utf16FromUtf8(std::to_string(n)) + u".prn";
    ASSERT_NE(StartDoc(printer, u"To a file", output), 0u) << GetLastError();
    WriteInPieces(printer, payload);
    ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
    EXPECT_TRUE(ReadHostFile(Host("C:\\Users\\Out\\Job" + std::to_string(n) + ".prn")) == payload);
    EXPECT_FALSE(listener.HasPendingConnection());
    EXPECT_FALSE(fs::exists(Host("C:\\Ports\\port.prn")));
  }
}

TEST_F(SpoolerJobsTest, StartDocRefusesWhatCannotBePrinted) {
  fs::create_directories(Host("C:\\Ports"));
  struct Case {
    const char* name;
    std::string port;
    DWORD level;
    std::u16string datatype;
    DWORD error;
  } cases[] = {
      {"FILE: without an output file", "FILE:", 1, u"", ERROR_INVALID_PARAMETER},
      {"a device port", "LPT1:", 1, u"", ERROR_UNKNOWN_PORT},
      {"a malformed address", "IP_127.0.0.300", 1, u"", ERROR_UNKNOWN_PORT},
      {"no port number", "127.0.0.1:", 1, u"", ERROR_UNKNOWN_PORT},
      {"a data type with no processor", "C:\\Ports\\x.prn", 1, u"NT EMF 1.008", ERROR_INVALID_DATATYPE},
      {"level 2", "C:\\Ports\\x.prn", 2, u"", ERROR_INVALID_LEVEL},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Printer printer(AddPrinterOnPort("Refusing " + std::to_string(++n), c.port));
    std::u16string document = u"Refused";
    std::u16string datatype = c.datatype;
    DOC_INFO_1W info{document.data(), nullptr, datatype.empty() ? nullptr : datatype.data()};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(StartDocPrinterW(printer, c.level, reinterpret_cast<LPBYTE>(&info)), 0u);
    EXPECT_EQ(GetLastError(), c.error);
    Bytes storage;
    EXPECT_TRUE(Queue(printer, storage).empty());
  }
  // A document's output that is no whole path (a port name, a bare name) is
  // refused rather than written wherever the process runs.
  for (const std::u16string output : {u"FILE:", u"job.prn"}) {
    Printer printer(AddPrinterOnPort("Output " + std::to_string(++n), "C:\\Ports\\x.prn"));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(StartDoc(printer, u"Refused", output), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
  }
  Printer printer(AddPrinterOnPort("Twice", "C:\\Ports\\twice.prn"));
  ASSERT_NE(StartDoc(printer, u"One"), 0u);
  EXPECT_EQ(StartDoc(printer, u"Two"), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_STATE));
  EXPECT_TRUE(AbortPrinter(printer));
  EXPECT_FALSE(EndDocPrinter(printer));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SPL_NO_STARTDOC));
}

TEST_F(SpoolerJobsTest, FailedDeliveryStaysQueuedWithItsReasonUntilRestartedOrDeleted) {
  LoopbackListener listener(false);  // bound, not yet listening: connections are refused
  const std::string label = "127.0.0.1:" + std::to_string(listener.port());
  Printer printer(AddPrinterOnPort("Unreachable", "IP_" + label));
  Bytes payload = Payload(200000, 7);
  DWORD jobId = StartDoc(printer, u"Waiting");
  ASSERT_NE(jobId, 0u);
  WriteInPieces(printer, payload);
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(EndDocPrinter(printer));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CONNECTION_REFUSED));

  Bytes info = FetchExact(
      [&](BYTE* buffer, DWORD size, DWORD* needed) { return GetJobW(printer, jobId, 1, buffer, size, needed); });
  const auto* job = reinterpret_cast<const JOB_INFO_1W*>(info.data());
  EXPECT_TRUE(job->Status & JOB_STATUS_ERROR);
  EXPECT_FALSE(job->Status & (JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING));
  ASSERT_NE(job->pStatus, nullptr);
  std::string reason = platform::Utf8FromUtf16(job->pStatus);
  EXPECT_NE(reason.find(label), std::string::npos) << reason;
  EXPECT_EQ(SpoolFiles().size(), 1u);

  // The device comes up: restarting the job sends it whole and empties the queue.
  listener.Listen();
  listener.Receive();
  ASSERT_TRUE(SetJobW(printer, jobId, 0, nullptr, JOB_CONTROL_RESTART)) << GetLastError();
  EXPECT_TRUE(listener.Received() == payload);
  Bytes storage;
  EXPECT_TRUE(Queue(printer, storage).empty());
  EXPECT_TRUE(SpoolFiles().empty());

  // A failed job can also be deleted, and its spool file goes with it.
  LoopbackListener refusing(false);
  Printer dead(AddPrinterOnPort("Dead", "127.0.0.1:" + std::to_string(refusing.port())));
  DWORD deadJob = StartDoc(dead, u"Dead");
  ASSERT_NE(deadJob, 0u);
  WriteInPieces(dead, Payload(1000, 1));
  EXPECT_FALSE(EndDocPrinter(dead));
  ASSERT_TRUE(SetJobA(dead, deadJob, 0, nullptr, JOB_CONTROL_DELETE)) << GetLastError();
  EXPECT_TRUE(Queue(dead, storage).empty());
  EXPECT_TRUE(SpoolFiles().empty());
}

// A printer that closes or resets without taking the whole job has not
// printed it: EndDocPrinter fails, and the job stays queued with the reason.
TEST_F(SpoolerJobsTest, RawPortJobNotTakenWholeStaysQueued) {
  using Device = LoopbackListener::Device;
  struct Case {
    const char* what;
    Device device;
    size_t size;
  };
  const Case cases[] = {
      {"small job, device closes at once", Device::ClosesAtOnce, 1000},
      {"large job, device closes at once", Device::ClosesAtOnce, 480 * 1024},
      {"large job, device resets after 20 KB", Device::Resets, 480 * 1024},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoopbackListener listener;
    const std::string label = "127.0.0.1:" + std::to_string(listener.port());
    Printer printer(AddPrinterOnPort("Lossy " + std::to_string(++number), "IP_" + label));
    DWORD jobId = StartDoc(printer, u"Lost");
    ASSERT_NE(jobId, 0u);
    WriteInPieces(printer, Payload(c.size, 3));
    listener.Receive(c.device, 20 * 1024);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(EndDocPrinter(printer));
    EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));
    EXPECT_LE(listener.Received().size(), 20u * 1024);

    Bytes info = FetchExact(
        [&](BYTE* buffer, DWORD size, DWORD* needed) { return GetJobW(printer, jobId, 1, buffer, size, needed); });
    const auto* job = reinterpret_cast<const JOB_INFO_1W*>(info.data());
    EXPECT_TRUE(job->Status & JOB_STATUS_ERROR);
    ASSERT_NE(job->pStatus, nullptr);
    std::string reason = platform::Utf8FromUtf16(job->pStatus);
    EXPECT_NE(reason.find(label), std::string::npos) << reason;
    ASSERT_TRUE(SetJobA(printer, jobId, 0, nullptr, JOB_CONTROL_DELETE)) << GetLastError();
  }
}

// A process killed while it writes a job leaves a row marked spooling and a
// spool file; the next look at the queue fails the job with a reason and
// removes the file, and the failed job can be deleted.
TEST_F(SpoolerJobsTest, JobOfAProcessThatDiedIsFailedAndItsFileRemoved) {
  Printer printer(AddPrinterOnPort("Orphans", "C:\\Ports\\orphans.prn"));
  pid_t child = fork();
  if (child == 0) {
    HANDLE own = OpenA("Orphans");
    Bytes payload = Payload(5000, 4);
    DWORD written = 0;
    bool ok = own && StartDoc(own, u"Killed") != 0 && WritePrinter(own, payload.data(), 5000, &written);
    _exit(ok ? 9 : 1);  // gone without EndDocPrinter, as when killed
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << status;

  Bytes storage;
  auto jobs = Queue(printer, storage);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(jobs[0].Status & JOB_STATUS_ERROR);
  EXPECT_FALSE(jobs[0].Status & (JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING));
  ASSERT_NE(jobs[0].pStatus, nullptr);
  EXPECT_TRUE(SpoolFiles().empty());
  ASSERT_TRUE(SetJobW(printer, jobs[0].JobId, 0, nullptr, JOB_CONTROL_DELETE)) << GetLastError();
  EXPECT_TRUE(Queue(printer, storage).empty());
}

// A delivery killed before its rename leaves its hidden copy beside the output
// file; the next delivery there removes copies of processes that are gone and
// leaves those of running ones alone.
TEST_F(SpoolerJobsTest, DeliveryRemovesCopiesLeftByDeadDeliveries) {
  pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);  // its pid now names no process
  const fs::path ports = Host("C:\\Ports");
  fs::create_directories(ports);
  const std::string dead = ".out.prn.spl" + std::to_string(child) + "-7.tmp";
  const std::string running = ".out.prn.spl1-8.tmp";
  for (const std::string& name : {dead, running}) std::ofstream(ports / name) << "a whole job";

  Printer printer(AddPrinterOnPort("Tidy", "C:\\Ports\\out.prn"));
  ASSERT_NE(StartDoc(printer, u"Tidy"), 0u);
  WriteInPieces(printer, Payload(100, 5));
  ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
  std::vector<std::string> left = FilesIn(ports);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{running, "out.prn"}));
}

// A writer killed (SIGKILL) in the middle of its job. The first spooler call of
// the next process on the machine (opening a printer, no look at the queue)
// fails the job and removes its spool file.
TEST_F(SpoolerJobsTest, JobOfAKilledWriterIsFailedByTheNextProcessOnTheMachine) {
  Printer printer(AddPrinterOnPort("Killed", "C:\\Ports\\killed.prn"));
  const pid_t writer = StartJobAndWait("Killed");
  ASSERT_GT(writer, 0);
  ASSERT_EQ(SpoolFiles().size(), 1u);
  ASSERT_EQ(kill(writer, SIGKILL), 0);
  ASSERT_EQ(waitpid(writer, nullptr, 0), writer);

  const pid_t next = fork();
  if (next == 0) {
    HANDLE own = OpenA("Killed");
    _exit(own ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(next, &status, 0), next);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(SpoolFiles().empty());
  Bytes storage;
  auto jobs = Queue(printer, storage);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].Status & (JOB_STATUS_ERROR | JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING), DWORD(JOB_STATUS_ERROR));
}

// A sender killed while it delivers to a file, whose id now names a later
// process: the job is failed all the same, and the hidden copy it was writing
// beside the output file is removed with its spool file.
TEST_F(SpoolerJobsTest, JobKilledInDeliveryIsFailedThoughItsIdWasGivenAgain) {
  Printer printer(AddPrinterOnPort("Reused", "C:\\Ports\\reused.prn"));
  const pid_t sender = StartJobAndWait("Reused");
  ASSERT_GT(sender, 0);
  ASSERT_EQ(kill(sender, SIGKILL), 0);
  ASSERT_EQ(waitpid(sender, nullptr, 0), sender);
  // A process that runs now stands for the later owner of the dead one's id.
  const pid_t later = fork();
  if (later == 0) {
    pause();
    _exit(0);
  }
  int64_t jobId = 0;
  {
    platform::db::Session session;
    platform::db::Statement select(session, "SELECT id FROM spl_jobs");
    ASSERT_TRUE(select.Step());
    jobId = select.Int(0);
    platform::db::Statement update(session, "UPDATE spl_jobs SET status = ?, owner_pid = ?");
    update.Bind(1, int64_t{JOB_STATUS_PRINTING}).Bind(2, int64_t{later});
    update.Step();
    platform::db::Statement earlier(session, "UPDATE spl_job_owners SET started = started - 36000000000");
    earlier.Step();
  }
  const fs::path ports = Host("C:\\Ports");
  fs::create_directories(ports);
  const std::string copy = ".reused.prn.spl" + std::to_string(later) + "-" + std::to_string(jobId) + ".tmp";
  std::ofstream(ports / copy) << "half a job";

  Bytes storage;
  auto jobs = Queue(printer, storage);
  kill(later, SIGKILL);
  waitpid(later, nullptr, 0);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].Status & (JOB_STATUS_ERROR | JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING), DWORD(JOB_STATUS_ERROR));
  EXPECT_TRUE(SpoolFiles().empty());
  EXPECT_TRUE(FilesIn(ports).empty());
}

TEST_F(SpoolerJobsTest, CancelledJobFailsItsWriterAndReachesNothing) {
  fs::create_directories(Host("C:\\Ports"));
  Printer writer(AddPrinterOnPort("Cancelled", "C:\\Ports\\cancelled.prn"));
  Printer manager(OpenA("Cancelled"));
  Bytes payload = Payload(5000, 2);
  for (bool fromAnotherProcess : {false, true}) {
    SCOPED_TRACE(fromAnotherProcess ? "cancelled by another process" : "cancelled in this process");
    DWORD jobId = StartDoc(writer, u"Cancelled");
    ASSERT_NE(jobId, 0u);
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(writer, payload.data(), 1000, &written));
    if (fromAnotherProcess) {
      pid_t child = fork();
      if (child == 0) {
        HANDLE printer = OpenA("Cancelled");
        _exit(printer && SetJobW(printer, jobId, 0, nullptr, JOB_CONTROL_CANCEL) ? 0 : 1);
      }
      int status = -1;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      // The writer hears of it when it stores its progress, at the latest at the page end.
      EXPECT_FALSE(EndPagePrinter(writer));
    } else {
      ASSERT_TRUE(SetJobW(manager, jobId, 0, nullptr, JOB_CONTROL_CANCEL)) << GetLastError();
      EXPECT_FALSE(WritePrinter(writer, payload.data(), 1000, &written));
      EXPECT_EQ(written, 0u);
    }
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINT_CANCELLED));
    EXPECT_FALSE(EndDocPrinter(writer));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINT_CANCELLED));
    EXPECT_FALSE(fs::exists(Host("C:\\Ports\\cancelled.prn")));
    Bytes storage;
    EXPECT_TRUE(Queue(writer, storage).empty());
    EXPECT_TRUE(SpoolFiles().empty());
  }
}

}  // namespace
