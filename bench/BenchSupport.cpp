#include "BenchSupport.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <fstream>

#include "core/settings/ConfigLayout.h"

namespace quillon::bench {

test::TestMapLayout Grid(int side) {
  test::TestMapLayout layout;
  layout.sides = {{}, {}};
  layout.sectors = {{}};
  const auto at = [side](int x, int y) { return y * side + x; };
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) layout.vertices.push_back({x * 64, y * 64});
  }
  int n = 0;
  const auto line = [&](int a, int b, bool outer) {
    test::TestMapLayout::Line l{a, b, 0, outer ? -1 : 1};
    if (!outer && ++n % 50 == 0) l.special = 1;
    layout.lines.push_back(l);
  };
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      line(at(x, y), at(x + 1, y), y == 0 || y == side - 1);
      line(at(y, x), at(y, x + 1), y == 0 || y == side - 1);
    }
  }
  for (int y = 0; y + 1 < side; y += 5) {
    for (int x = 0; x + 1 < side; x += 1)
      layout.things.push_back({x * 64 + 32, y * 64 + 32, 0, 3004});
  }
  layout.things.push_back({32, 32, 90, 1});
  return layout;
}

MessageResult QuietDesktop::ShowMessage(QWidget*, const QString&, const QString&, MessageIcon,
                                        MessageButtons buttons) {
  return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

int QuietDesktop::ShowModal(QDialog* dialog) {
  if (modalScript) modalScript(dialog);
  return 0;
}

bool QuietDesktop::FileExists(const QString& path) {
  return QFileInfo(path).isFile();
}

QDateTime QuietDesktop::LastModified(const QString& path) {
  return QFileInfo(path).lastModified();
}

QByteArray Configuration(int entries) {
  QByteArray out;
  if (entries < 0) {
    for (const auto& line : DefaultIniLines()) out += QByteArray::fromStdString(line) + "\r\n";
    return out;
  }
  for (ListId id : {ListId::Ports, ListId::IWADs, ListId::Programs, ListId::Files}) {
    const ListKind& kind = KindOf(id);
    out += "[" + QByteArray::fromStdString(std::string(kind.section)) + "]\r\n" +
           QByteArray::fromStdString(std::string(kind.countKey)) + "=" +
           QByteArray::number(entries) + "\r\n";
    for (int n = 1; n <= entries; ++n) {
      const QByteArray number = QByteArray::number(n);
      out += QByteArray::fromStdString(NameKey(kind, n)) + "=Entry number " + number + "\r\n";
      out += QByteArray::fromStdString(FileKey(kind, n)) + "=/home/mapper/doom/stuff/entry" +
             number + ".wad\r\n";
    }
    out += "\r\n";
  }
  const QByteArray last = QByteArray::number(entries);
  out += "[Memory]\r\nPort=" + last + "\r\nIWAD=" + last + "\r\nProg=" + last +
         "\r\nUseFiles=1\r\nExitOnTest=0\r\nWarp=1\r\nWarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\n"
         "NoSound=0\r\nNoCD=0\r\nOpenGL=0\r\nParams=-fast\r\nProgParams=\r\n\r\n";
  return out;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(bytes);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::filesystem::file_size(path), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

}  // namespace quillon::bench
