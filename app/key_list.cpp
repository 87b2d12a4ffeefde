#include "app/key_list.h"

#include <algorithm>
#include <cstring>

namespace {

// Handled in app/view_control.cpp; a key added there belongs here too.
constexpr KeyListEntry kModelledKeys[] = {
    {"left, middle, right drag", "turn about the X, Z, Y axis", "X・Z・Y軸周りに回転", "左・中・右ドラッグ"},
    {"wheel, a, z", "zoom in, out", "拡大・縮小", "ホイール, a, z"},
    {"s f e d, arrow keys", "move left, right, up, down", "左・右・上・下へ移動", "s f e d, 矢印キー"},
    {"x, c", "move away, nearer", "奥・手前へ移動"},
    {"Home", "the first view again", "最初の表示に戻す"},
    {"1, 3, 7", "front, right, top view (Ctrl: the opposite side)", "正面・右・上から見る（Ctrl: 反対側）"},
    {"space", "start or stop turning slowly", "ゆっくり回転する・止める", "スペース"},
    {"Page Down, Page Up", "next, previous model in the folder", "フォルダの次・前のモデル"},
    {"F5", "read the model again (also when its file changes)", "モデルを読み直す（ファイルの変更時も）"},
    {"Ctrl+O", "open another model", "別のモデルを開く"},
    {"drop a file", "open the model dropped onto the window", "ドロップしたモデルを開く", "ファイルをドロップ"},
    {"F12", "save a picture into the pictures folder", "画像をピクチャフォルダに保存"},
    {"w", "wireframe over the shaded model", "ワイヤーフレームを重ねる"},
    {"h", "show hidden objects", "非表示オブジェクトを表示"},
    {"i", "information on the model", "モデルの情報"},
    {"F1, ?", "this list of keys", "このキー一覧"},
    {"F11", "full screen", "全画面表示"},
    {"ESC, q", "quit", "終了"},
};

}  // namespace

std::span<const KeyListEntry> ModelledKeys() { return kModelledKeys; }

std::string KeyListForUsage(int indent) {
  std::size_t column = 0;
  for (const KeyListEntry& entry : kModelledKeys) column = std::max(column, std::strlen(entry.keys));
  std::string text;
  for (const KeyListEntry& entry : kModelledKeys) {
    std::string keys = entry.keys;
    keys.resize(column + 2, ' ');
    text += std::string(static_cast<std::size_t>(std::max(indent, 0)), ' ') + keys + entry.english + "\n";
  }
  return text;
}

std::string KeyListForScreen(Language language) {
  const bool japanese = language == Language::kJapanese;
  std::string text = japanese ? "キー操作" : "Keys";
  for (const KeyListEntry& entry : kModelledKeys)
    text += std::string("\n") + (japanese && entry.japaneseKeys ? entry.japaneseKeys : entry.keys) + "\t" +
            (japanese ? entry.japanese : entry.english);
  return text;
}
