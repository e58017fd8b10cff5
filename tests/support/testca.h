#pragma once
// A certificate authority made by the test with the openssl command, and a server certificate
// it signed for 127.0.0.1: what a station that runs its own CA hands its kiosks. Empty paths
// when the openssl command is missing (the test then skips).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kiosk::test {

struct TestCA {
    std::string caFile;      // the CA's certificate (PEM), for the kiosk's cafile=
    std::string certFile;    // the server's certificate (PEM)
    std::string keyFile;     // the server's private key (PEM)
    std::string otherCaFile; // a CA that did not sign the server's certificate
};

inline TestCA MakeTestCA(const std::filesystem::path& folder)
{
    const std::string dir = folder.string();
    std::ofstream(folder / "server.ext") << "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                                            "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n";
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string run =
        "cd '" + dir + "' && openssl req -x509" + key + " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Station Test CA'" +
        " && openssl req -x509" + key + " -keyout other.key -out other.pem -days 2 -subj '/CN=Another CA'" +
        " && openssl req" + key + " -keyout server.key -out server.csr -subj '/CN=127.0.0.1'" +
        " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2" +
        " -extfile server.ext";
    if (std::system(("(" + run + ") > '" + dir + "/openssl.log' 2>&1").c_str()) != 0) return {};
    return {dir + "/ca.pem", dir + "/server.pem", dir + "/server.key", dir + "/other.pem"};
}

} // namespace kiosk::test
