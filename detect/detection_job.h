// The detection job: a RAW print job whose only content is a PJL job attribute
// naming this host and a job number. The printer answers it with a trap that
// quotes the attribute, which tells this host which printer serves the queue.
#pragma once

#include <string>

// Control bytes, '"' and '=' become "=XX" (uppercase hex); the text ends before
// the first byte that would not fit into `limit` bytes.
std::string EncodeJobAttribute(const std::string& message, size_t limit = 256);

// "DetectClient", NUL, "DetectJob", NUL, the host, NUL, "Job#<n>", NUL.
std::string DetectionMessage(const std::string& hostAddress, int jobNumber);

// The whole job: the PJL entry, the encoded attribute in quotes, the exit.
std::string DetectionJobBytes(const std::string& hostAddress, int jobNumber);

// The seconds of the local time (0 to 59), -1 when the time cannot be had.
int DetectionJobNumber();

// Prints the bytes through the queue as a RAW document named " ". False when
// any step of the spooler failed, so the caller does not wait for an answer to
// a job that never left.
bool SendRawToPrinter(const std::string& printerName, const std::string& bytes);
