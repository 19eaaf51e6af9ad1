// ServerAddress: the reachability test of the head office's database server, by its server name.
//
//   * "embedded:<folder>" (an embedded server, see docs/database.md): the server is this machine;
//     it is reachable when the folder exists (0 ms), else -1. No packet is sent.
//   * any other name: the host part ("host", "host,port", "host:port", "host\instance") is tested
//     with net::pingHostReport (ICMP echo, or a TCP connection to the port, 1433 unless the name
//     gives one). The result is the round-trip time in ms, or -1 (not found / no answer) or -2.
#pragma once

#include <QString>

namespace masterdata {

struct ServerAddress {
  QString host;
  quint16 port = 1433;
};
// The host and port a SQL Server name points at.
ServerAddress serverAddress(const QString& serverName);

int PingServer(const QString& serverName, int timeoutMs);

}  // namespace masterdata
