# The pinned upstream sources of the libraries the Windows and browser
# builds make themselves, sourced by scripts/windows.sh and scripts/web.sh.
# `sources` is the folder holding the archives ($GLIMMER_SOURCES, else
# ../shared/third_party beside the repository when it is there); an archive
# found nowhere is fetched at its pinned commit into $pinned_downloads.
sources=${GLIMMER_SOURCES:-}
[ -z "$sources" ] && [ -d "$root/../shared/third_party" ] && sources=$(realpath "$root/../shared/third_party")
pinned_downloads=${pinned_downloads:-$root/build-deps-sources}

# pin NAME: version, repository, commit, sha256 of the .tar.gz and sha256 of
# the tar inside it. An archive passes when either digest matches: the first
# is that of the published archive, the second holds for any gzip of the same tree.
pin() {
  case $1 in
    glfw) echo glfw 3.3.8 https://github.com/glfw/glfw 7482de6071d21db77a7236155da44c172a7f6c9e \
      e6da14f91d5423b0572d5dabf98f4521bc919ff5a7a784df21dc14ef677b0f15 \
      4044e4a5d2e182380f868b607bee07c91f43958c6dda366e4c83392aba3bacc6 ;;
    openal-soft) echo openal-soft 1.23.1 https://github.com/kcat/openal-soft d3875f333fb6abe2f39d82caca329414871ae53b \
      d44ebc9f3ece0581eb37054c189e347d84b349b209812cc48c769f7339df6c52 \
      33f6edd70ebf815c8bf8f8f7a7923ba9c7e8b9b4f99b4869a7d38c5b2eceb09a ;;
    libogg) echo libogg 1.3.5 https://github.com/xiph/ogg e1774cd77f471443541596e09078e78fdc342e4f \
      ebf4d8807c622e43ab0cf72fb8b668987e9eb29ad0fec1c0e75025bc24f778b0 \
      e4856feb65822e06819cb0947d64b08b66171a709842105a46a1e2d4f6b1b2eb ;;
    libvorbis) echo libvorbis 1.3.7 https://github.com/xiph/vorbis 0657aee69dec8508a0011f47f3b69d7538e9d262 \
      c90bec7da0ad6a3462041c0a3b9266cb6a3d5261750b7363472ab2db9335894d \
      6ffa347f0d21fe4297c039bf35e64cc785c0b559997ebb253bc62ae3ec516c50 ;;
  esac
}

# archive NAME: prints the path of the library's verified archive, fetching
# the pinned commit when no --sources were given.
archive() {
  local fields
  read -r -a fields <<<"$(pin "$1")"
  verified_archive "${fields[@]}"
}

verified_archive() {
  local name=$1 version=$2 repo=$3 commit=$4 gz_sha=$5 tar_sha=$6 file clone
  file=$sources/$name-$version.tar.gz
  if [ -z "$sources" ] || [ ! -f "$file" ]; then
    file=$pinned_downloads/$name-$version.tar.gz
    if [ ! -f "$file" ]; then
      mkdir -p "$pinned_downloads"
      clone=$(mktemp -d)
      git -C "$clone" init -q
      if ! git -C "$clone" fetch -q --depth 1 "$repo" "$commit" 2>"$clone.log"; then
        echo "$(basename "$0"): no $name-$version.tar.gz in ${sources:-../shared/third_party (absent)} and $repo at $commit cannot be fetched ($(tail -n 1 "$clone.log")); give --sources DIR holding the pinned archives" >&2
        rm -rf "$clone" "$clone.log"
        exit 1
      fi
      rm -f "$clone.log"
      # A commit id names its whole tree: what arrived is what was pinned.
      [ "$(git -C "$clone" rev-parse FETCH_HEAD)" = "$commit" ] || { echo "$repo gave another commit" >&2; exit 1; }
      git -C "$clone" archive --format=tar.gz --prefix="$name-$version/" -o "$file.part" "$commit"
      rm -rf "$clone"
      mv "$file.part" "$file"
    fi
  fi
  if [ "$(sha256sum <"$file" | cut -d' ' -f1)" != "$gz_sha" ] &&
     [ "$(gzip -dc "$file" | sha256sum | cut -d' ' -f1)" != "$tar_sha" ]; then
    echo "$(basename "$0"): checksum mismatch: $file is not the pinned $name $version" >&2
    exit 1
  fi
  echo "$file"
}

