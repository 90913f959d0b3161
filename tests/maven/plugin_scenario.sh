#!/usr/bin/env bash
# plugin_scenario.sh WINE_RUN SESSION SOURCE HOST_PACKER WINDOWS_PACKER X64_STUB X86_STUB RUNTIME PARENT
# The Maven plugin as its users meet it, offline: built the way scripts/build builds it (around this
# build's packers and stubs) into a local repository made here, then examples/hello, given dependencies
# from Debian's repository, packaged by `mvn -o package`. The runtime dependencies and their own ship in
# the jar folder and on the class path (a pom-only and a test dependency do not; two jars of one file
# name under two groupIds ship under their groupIds); the installer parameters give a Windows Installer
# package per width beside the zip. Two builds of two copies give byte-identical folders, zips and
# packages, and building one again leaves its output untouched; the x64 launcher starts under
# Wine with the stand-in runtime and reaches main with that class path; a missing main class fails the
# build with the packer's message in the POM's terms, and a jar without one with the plugin's. Everything
# is written below one temporary folder in PARENT, removed on every path. Exits 77 (skipped) without
# Maven or the host preset's packer.
set -euo pipefail
wine_run=$1 session=$2 source=$3 host_packer=$4 windows_packer=$5 x64_stub=$6 x86_stub=$7 runtime=$8 parent=$9
if [ ! -x "$host_packer" ]; then
  echo "plugin_scenario: no Linux packer at $host_packer (build the host preset): skipped"
  exit 77
fi
if ! command -v mvn >/dev/null || [ ! -d /usr/share/maven-repo ]; then
  echo "plugin_scenario: no Maven or no /usr/share/maven-repo (run scripts/setup): skipped"
  exit 77
fi

# A run that CTest's limit ended had no chance to clean up after itself.
mkdir -p "$parent"
rm -rf "$parent"/run.*
work=$(mktemp -d "$parent/run.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "plugin_scenario: $*"; exit 1; }

# Each step is bounded well inside CTest's limit, so that a hang fails here and the trap still runs.
maven() { timeout 120 mvn -o -B -s "$work/settings.xml" "$@"; }

# Debian's artifacts as links and whatever Maven adds beside them: nothing is written outside $work.
cp -rs /usr/share/maven-repo "$work/repo"
cat >"$work/settings.xml" <<SETTINGS
<settings><localRepository>$work/repo</localRepository><offline>true</offline></settings>
SETTINGS
mkdir -p "$work/dist/x64" "$work/dist/x86"
cp "$host_packer" "$work/dist/vornicpack"
cp "$windows_packer" "$work/dist/vornicpack.exe"
cp "$x64_stub" "$work/dist/x64/vornicw.exe"
cp "$x86_stub" "$work/dist/x86/vornicw.exe"
maven -q -f "$source/tools/maven-plugin/pom.xml" -Dvornic.dist="$work/dist" -Dvornic.target="$work/plugin-build" install \
  || fail "the plugin did not build"

# What real projects have: a library with dependencies of its own (commons-beanutils: commons-logging and
# commons-collections), a pom-only dependency (no jar), a test dependency, and two artifacts whose jars
# are both jsr305-0.x.jar.
cat >"$work/dependencies.xml" <<'DEPENDENCIES'
  <dependencies>
    <dependency><groupId>commons-beanutils</groupId><artifactId>commons-beanutils</artifactId><version>1.9.4</version></dependency>
    <dependency><groupId>org.apache.commons</groupId><artifactId>commons-parent</artifactId><version>56</version><type>pom</type></dependency>
    <dependency><groupId>junit</groupId><artifactId>junit</artifactId><version>4.x</version><scope>test</scope></dependency>
    <dependency><groupId>com.google.code.findbugs</groupId><artifactId>jsr305</artifactId><version>0.x</version></dependency>
    <dependency><groupId>org.jsr-305</groupId><artifactId>jsr305</artifactId><version>0.x</version></dependency>
  </dependencies>
DEPENDENCIES
shipped="hello-1.0.0.jar commons-beanutils-1.9.4.jar commons-logging-debian.jar commons-collections-3.x.jar
  com.google.code.findbugs-jsr305-0.x.jar org.jsr-305-jsr305-0.x.jar"

# An installer per width beside the zip, with a file type and a link scheme (needs wixl).
installer='          <installer>msi</installer>
          <fileTypes><fileType>.hello=Hello Document</fileType></fileTypes>
          <linkSchemes>hello</linkSchemes>'
command -v wixl >/dev/null || fail "no wixl (scripts/setup installs it)"

# Two copies of the example, each built from scratch: what a second machine or a clean checkout gets.
for copy in first second; do
  mkdir -p "$work/$copy"
  cp -r "$source/examples/hello/src" "$work/$copy/"
  awk -v dependencies="$(cat "$work/dependencies.xml")" -v installer="$installer" \
    '/^  <build>/ { print dependencies } { print } /<zip>Hello.zip<\/zip>/ { print installer }' \
    "$source/examples/hello/pom.xml" >"$work/$copy/pom.xml"
  grep -q "<installer>msi</installer>" "$work/$copy/pom.xml" || fail "the installer is not in the $copy copy's POM"
  grep -q "<artifactId>commons-beanutils</artifactId>" "$work/$copy/pom.xml" || fail "the dependencies are not in the $copy copy's POM"
  touch "$work/$copy.copied"
  (cd "$work/$copy" && maven -q package) || fail "mvn package failed in the $copy copy"
  # Maven's convention: a build writes below target/ alone.
  outside=$(cd "$work/$copy" && find . -mindepth 1 -newer "$work/$copy.copied" -not -path './target*')
  [ -z "$outside" ] || fail "the build wrote outside target/: $outside"
done
outputs="Hello Hello.zip Hello-1.0.0.0-x64.msi Hello-1.0.0.0-x86.msi"
files=$(cd "$work/first/target" && { find $outputs -type f 2>/dev/null || true; } | sort)
for expected in Hello/Hello.exe Hello/Hello.ini Hello/Hello-x86.exe Hello.zip Hello-1.0.0.0-x64.msi Hello-1.0.0.0-x86.msi; do
  grep -qx "$expected" <<<"$files" || fail "target/$expected is missing; target holds: $files"
done
# The jar folder holds the shipped jars and nothing else: no pom, no test dependency.
[ "$(cd "$work/first/target/Hello/lib" && ls | sort)" = "$(tr -s ' \n' '\n' <<<"$shipped" | sed '/^$/d' | sort)" ] \
  || fail "lib/ holds $(ls "$work/first/target/Hello/lib"), not $shipped"
# Listed first: with pipefail, a grep -q that stops reading early fails the pipe with unzip's SIGPIPE.
listing=$(unzip -l "$work/first/target/Hello.zip")
grep -q " Hello/lib/commons-collections-3.x.jar$" <<<"$listing" \
  || fail "the zip lacks the transitive dependency: $listing"
[ "$(cd "$work/second/target" && { find $outputs -type f 2>/dev/null || true; } | sort)" = "$files" ] \
  || fail "the two builds wrote different files"
status=0
for file in $files; do
  cmp "$work/first/target/$file" "$work/second/target/$file" || status=1
done
[ $status = 0 ] || fail "the two builds differ"

# Each package holds its own width's launcher, the POM's version and the parameters' file type and link.
for width in x64 x86; do
  package=$work/first/target/Hello-1.0.0.0-$width.msi
  launcher=$([ $width = x64 ] && echo Hello.exe || echo Hello-x86.exe)
  # Each table read whole before it is searched, as the zip's listing above.
  files_table=$(msiinfo export "$package" File) properties=$(msiinfo export "$package" Property)
  grep -q "	$launcher	" <<<"$files_table" || fail "the $width package lacks $launcher"
  grep -q "^ProductVersion	1.0.0.0" <<<"$properties" || fail "the $width package's version is not the POM's"
  registry=$(msiinfo export "$package" Registry)
  grep -qF 'Software\Classes\.hello	' <<<"$registry" && grep -qF 'Software\Classes\hello	URL Protocol' <<<"$registry" \
    || fail "the $width package lacks the file type or the link scheme: $registry"
done

# The second build again, unchanged: Maven's up-to-date run leaves every file as it was.
before=$(cd "$work/second/target" && find $outputs -type f -printf '%p %T@\n' | sort)
(cd "$work/second" && maven -q package) || fail "mvn package failed when run again"
[ "$(cd "$work/second/target" && find $outputs -type f -printf '%p %T@\n' | sort)" = "$before" ] \
  || fail "a run with unchanged inputs rewrote the application folder"

# The launcher the plugin made, with the stand-in runtime as its private runtime.
app=$work/first/target/Hello
mkdir -p "$app/jre64/bin/server"
cp "$runtime/bin/java.dll" "$app/jre64/bin/java.dll"
cp "$runtime/bin/server/jvm.dll" "$app/jre64/bin/server/jvm.dll"
record=$work/record.txt
VORNIC_STANDIN_RECORD="Z:${record//\//\\}" VORNIC_STANDIN_SCRIPT= timeout 120 "$wine_run" "$session" "$app/Hello.exe" plugin \
  || fail "Hello.exe did not end well"
[ -f "$record" ] || fail "Hello.exe started no runtime"
grep -qx "main-class: hello/Hello" "$record" || fail "not hello.Hello: $(cat "$record")"
# The project's jar first, then the dependencies in Maven's order, each from the jar folder (the
# launcher ends each entry with ';').
class_path=$(sed -n 's/^option: -Djava.class.path=//p' "$record" | tr ';' '\n' | sed '/^$/d; s/.*\\lib\\//' | tr '\n' ' ')
[ "$class_path" = "$(tr -s ' \n' ' ' <<<"$shipped" | sed 's/ *$/ /')" ] \
  || fail "the class path is not the shipped jars in order: $(grep java.class.path "$record")"
[ "$(grep -c '^option: -Djava.class.path=.*\\Hello\\lib\\hello-1.0.0.jar;' "$record")" = 1 ] \
  || fail "the class path is not the application folder's: $(grep java.class.path "$record")"
grep -qx "call: main" "$record" || fail "main was not called: $(cat "$record")"
grep -qx "arg: plugin" "$record" || fail "main did not get its argument: $(cat "$record")"

# A main class that no shipped jar holds: the packer's one line is the goal's failure.
# Maven colours its lines even in batch mode; the text is what counts.
output=$(cd "$work/first" && maven -q package -Dhello.main=hello.Missing 2>&1) && fail "a missing main class did not fail the build"
output=$(sed 's/\x1b\[[0-9;]*m//g' <<<"$output")
grep -q "^\[ERROR\] Failed to execute goal org.vornicw:vornicw-maven-plugin:.*: vornicpack: .*app.vornic: the Main Class hello.Missing (hello/Missing.class) is in none of the shipped jars" <<<"$output" \
  || fail "the build's error is not the packer's: $output"
grep -q "MojoFailureException" <<<"$output" || fail "not a failure of the build's configuration: $output"
# In the POM's terms: the project file it names is the plugin's own, which nobody edits.
grep -q "is in none of the shipped jars.*: correct <mainClass> or add its jar to <jars>" <<<"$output" \
  || fail "the missing main class's fix is not named in the plugin's parameters: $output"

# No main class at all: neither the configuration nor the jar's manifest names one. The jar plugin
# keeps a jar newer than the classes, whatever its manifest settings say, so it goes first.
rm "$work/first/target/hello-1.0.0.jar"
output=$(cd "$work/first" && maven -q package -Dhello.main= 2>&1) && fail "a jar without a main class did not fail the build"
output=$(sed 's/\x1b\[[0-9;]*m//g' <<<"$output")
grep -q "^\[ERROR\] Failed to execute goal org.vornicw:vornicw-maven-plugin:.*: vornicw: no main class: set <mainClass> in the configuration of vornicw-maven-plugin, or in maven-jar-plugin's <archive><manifest> (hello-1.0.0.jar's manifest names no Main-Class)" <<<"$output" \
  || fail "a jar without a main class did not name <mainClass>: $output"
! grep -q '"Main Class"' <<<"$output" || fail "the message names the project file's key: $output"

echo "plugin_scenario: $(wc -l <<<"$files") files (two installer packages among them) alike from two builds, unchanged on a third; Hello.exe reached main with $(wc -w <<<"$shipped") jars on its class path; a missing main class and a jar without one failed the build"
