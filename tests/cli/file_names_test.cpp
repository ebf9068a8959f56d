// A name given to stillpress-cli is always a file: never an FFmpeg protocol, never the network, and
// any Unicode name works.
#include "cli_fixture.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP port on the loopback that listens and never answers; it tells whether anyone knocked.
class ListeningPort {
public:
    ListeningPort() : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (socket_ >= 0 && ::bind(socket_, generic, size) == 0 && ::listen(socket_, 8) == 0 && ::getsockname(socket_, generic, &size) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~ListeningPort()
    {
        if (socket_ >= 0)
            ::close(socket_);
    }
    ListeningPort(const ListeningPort&) = delete;
    ListeningPort& operator=(const ListeningPort&) = delete;

    int Port() const { return port_; }
    bool SomeoneKnocked() const
    {
        const int connection = ::accept(socket_, nullptr, nullptr);
        if (connection < 0)
            return false;
        ::close(connection);
        return true;
    }

private:
    int socket_;
    int port_ = 0;
};

TEST_F(CliTest, RelativeNamesThatLookLikeProtocolsAreLocalFiles)
{
    const QMap<QString, int> expected{{"take2:cut", 2}, {"http:x", 3}, {"file:y", 1}, {"concat:a|b", 2}, {"pipe:0", 1}};
    QStringList names;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        names << it.key() + ".avi";
        Video(names.last(), it.value());
    }
    const ToolResult result = Cli(QStringList{"--format", "bmp", "--output", output.path()} + names, ToolSetting{{}, inputs.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "9\n");
    EXPECT_EQ(FramesPerStem(), expected);
}

TEST_F(CliTest, NothingReachesTheNetwork)
{
    const ListeningPort port;
    ASSERT_GT(port.Port(), 0);
    const QString server = QStringLiteral("127.0.0.1:%1").arg(port.Port());
    // Local folders named like the addresses: as paths, "http://host/x.avi" is the file "http:/host/x.avi".
    Video("http:/" + server + "/x.avi", 2);
    Video("tcp:/" + server + "/y.avi", 3);
    const QString nowhere = "http://" + server + "/z.avi";
    const ToolResult result = Cli({"--format", "bmp", "--output", output.path(), "http://" + server + "/x.avi",
                                      "tcp://" + server + "/y.avi", nowhere},
        ToolSetting{{}, inputs.path(), 30000});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_EQ(result.out, "5\n");
    EXPECT_TRUE(result.err.contains(("There was an error working with the file:\n" + nowhere).toUtf8())) << result.err.toStdString();
    const QMap<QString, int> expected{{"x", 2}, {"y", 3}};
    EXPECT_EQ(FramesPerStem(), expected);
    EXPECT_FALSE(port.SomeoneKnocked());
}

TEST_F(CliTest, UnicodeNamesInArgumentsListsOutputsAndMessages)
{
    Video("café 日本.avi", 2);
    const QString listed = Video("Ελληνικά/ünïcödé ✓.avi", 3);
    const QString missing = inputs.filePath("naïve ☂.avi");
    const QString list = inputs.filePath("liste é.txt");
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(listed.toUtf8() + "\n" + missing.toUtf8() + "\n");
    file.close();
    const QString folder = output.filePath("sortie ß");
    ASSERT_TRUE(QDir().mkpath(folder));

    const ToolResult result = Cli({"--format", "bmp", "--output", folder, "--files-from", list, "café 日本.avi"}, ToolSetting{{}, inputs.path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "5\n");
    EXPECT_TRUE(result.err.contains(("There was an error working with the file:\n" + missing).toUtf8())) << result.err.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
        (QStringList{"café 日本_0.bmp", "café 日本_1.bmp", "ünïcödé ✓_0.bmp", "ünïcödé ✓_1.bmp", "ünïcödé ✓_2.bmp"}));
}

}  // namespace
