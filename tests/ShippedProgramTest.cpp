// The shipped programs, the 32-bit setup.exe and the uninstaller inside it,
// read as files on the build machine: what a host that cannot run 32-bit
// programs still has to know about them. The environment variable
// VL_SHIPPED_BUILD names another build folder to read, such as a signed one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "PeImage.h"
#include "resources/UResources.h"
#include "resources/version.h"
#include "util/UVersionResource.h"

namespace {

const uint32_t RtIcon = 3, RtBitmap = 2, RtDialog = 5, RtGroupIcon = 14, RtVersion = 16, RtManifest = 24;
const uint32_t Russian = 1049;

std::string ShippedFile(const std::string& name) {
    const char* build = std::getenv("VL_SHIPPED_BUILD");
    return std::string(build && *build ? build : VL_SHIPPED_BUILD) + "/" + name;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The resource script of the payload: id and the file it holds.
std::map<uint32_t, std::string> PayloadScript() {
    std::map<uint32_t, std::string> files;
    std::ifstream script(ShippedFile("generated/payload.rc"));
    const std::regex line(R"re(^(\d+) VLLIB "(.*)"\s*$)re");
    std::smatch match;
    for (std::string text; std::getline(script, text);) {
        if (std::regex_match(text, match, line)) files[std::stoul(match[1])] = match[2];
    }
    return files;
}

std::vector<PeResource> Payload(const PeImage& image) {
    std::vector<PeResource> payload;
    for (PeResource& resource : image.Resources()) {
        if (resource.typeName == "VLLIB") payload.push_back(std::move(resource));
    }
    return payload;
}

// The payload resource that holds the uninstaller, empty when there is none.
std::string UninstallerInside(const PeImage& image) {
    uint32_t uninstallerId = 0;
    for (const auto& [id, file] : PayloadScript()) {
        if (file == ShippedFile("redud.exe")) uninstallerId = id;
    }
    for (const PeResource& resource : Payload(image)) {
        if (uninstallerId && resource.id == uninstallerId) return resource.data;
    }
    return "";
}

// Whether the build was given a certificate to sign with.
bool BuildSigns() {
    std::ifstream cache(ShippedFile("CMakeCache.txt"));
    const std::regex setting(R"re(^VL_SIGN_(CERT|PKCS12):FILEPATH=.+$)re");
    for (std::string line; std::getline(cache, line);) {
        if (std::regex_match(line, setting)) return true;
    }
    return false;
}

const std::string Version = VL_VERSION_TEXT;

// Both programs write where only an administrator may, and are made for
// Windows Vista to 11, so that no compatibility assistant follows a run;
// they keep the classic controls. Comments in the manifest do not count.
void ExpectElevatedAndMadeForVistaTo11(const PeImage& image) {
    auto manifest = image.FindResource(RtManifest, 1);
    ASSERT_TRUE(manifest);
    const std::string xml = std::regex_replace(manifest->data, std::regex(R"re(<!--[\s\S]*?-->)re"), "");
    EXPECT_TRUE(std::regex_search(
        xml, std::regex(R"re(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)re")));
    std::set<std::string> systems;
    const std::regex system(R"re(<supportedOS Id="([^"]*)"/>)re");
    for (std::sregex_iterator id(xml.begin(), xml.end(), system), end; id != end; ++id) systems.insert((*id)[1]);
    EXPECT_EQ(systems, (std::set<std::string>{
                           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
                       }));
    EXPECT_EQ(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

class ShippedSetup : public testing::Test {
protected:
    static void SetUpTestSuite() {
        image_ = new PeImage(PeImage::FromFile(ShippedFile("setup.exe")));
    }
    static void TearDownTestSuite() { delete image_; }
    static PeImage* image_;
};
PeImage* ShippedSetup::image_ = nullptr;

TEST_F(ShippedSetup, IsA32BitWindowsGuiProgram) {
    ASSERT_EQ(image_->Error(), "") << "build the Windows programs first: " << ShippedFile("setup.exe");
    EXPECT_EQ(image_->Machine(), PeImage::MachineI386);
    EXPECT_FALSE(image_->Wide());
    EXPECT_EQ(image_->Subsystem(), PeImage::SubsystemGui);
}

TEST_F(ShippedSetup, StartsWithoutTheWindowLibraries) {
    // user32, gdi32 and version are bound on the first call, so that
    // extraction loads none of them; nothing else may creep into the import
    // table.
    EXPECT_EQ(image_->ImportedLibraries(), (std::vector<std::string>{"advapi32.dll", "kernel32.dll", "msvcrt.dll"}));
}

// Both programs run as administrator from wherever they were saved. A
// library that Windows does not always take from its own folder would be
// looked for beside them first, before any of their code runs.
TEST(ShippedPrograms, ImportOnlyLibrariesThatWindowsTakesFromItsOwnFolder) {
    const std::set<std::string> knownLibraries = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
                                                  "msvcrt.dll",   "ole32.dll",    "shell32.dll", "user32.dll"};
    for (const char* program : {"setup.exe", "redud.exe"}) {
        PeImage image = PeImage::FromFile(ShippedFile(program));
        ASSERT_EQ(image.Error(), "") << program;
        for (const std::string& library : image.ImportedLibraries()) {
            EXPECT_TRUE(knownLibraries.count(library)) << program << " imports " << library;
        }
    }
}

TEST_F(ShippedSetup, CarriesTheWholePayloadInRussian) {
    const std::vector<PeResource> payload = Payload(*image_);
    EXPECT_EQ(payload.size(), 487u);
    std::set<uint32_t> ids;
    for (const PeResource& resource : payload) {
        EXPECT_EQ(resource.language, Russian) << resource.id;
        EXPECT_TRUE(resource.name.empty()) << "named payload resource " << resource.name;
        EXPECT_GE(resource.id, 1u);
        EXPECT_LE(resource.id, 872u);
        EXPECT_TRUE(ids.insert(resource.id).second) << "id " << resource.id << " twice";
    }
    EXPECT_EQ(*ids.begin(), 1u);
    EXPECT_EQ(*ids.rbegin(), 872u);
}

TEST_F(ShippedSetup, EachPayloadResourceHoldsItsFileByteForByte) {
    const std::map<uint32_t, std::string> script = PayloadScript();
    ASSERT_EQ(script.size(), 487u);
    for (const PeResource& resource : Payload(*image_)) {
        auto file = script.find(resource.id);
        ASSERT_NE(file, script.end()) << resource.id;
        EXPECT_TRUE(resource.data == FileBytes(file->second)) << "resource " << resource.id;
    }
}

TEST_F(ShippedSetup, TheUninstallerInsideIsThe32BitGuiUninstaller) {
    const std::string uninstaller = UninstallerInside(*image_);
    ASSERT_NE(uninstaller, "") << "the payload does not hold redud.exe";
    EXPECT_TRUE(uninstaller == FileBytes(ShippedFile("redud.exe")));

    PeImage redud(uninstaller);
    ASSERT_EQ(redud.Error(), "");
    EXPECT_EQ(redud.Machine(), PeImage::MachineI386);
    EXPECT_FALSE(redud.Wide());
    EXPECT_EQ(redud.Subsystem(), PeImage::SubsystemGui);
    auto version = redud.FindResource(RtVersion, 1);
    ASSERT_TRUE(version);
    EXPECT_EQ(FixedFileVersion(version->data), Version);
    EXPECT_EQ(VersionString(version->data, "OriginalFilename"), "redud.exe");
    EXPECT_EQ(VersionString(version->data, "FileDescription"), "Vellorin library uninstaller");
}

// The setup compares the uninstaller's product version, read from these
// bytes in memory, with an installed one's. Cut anywhere, they give the
// version or nothing, and are never read past their end.
TEST(ShippedPrograms, TheUninstallersProductVersionIsReadFromItsBytes) {
    const std::string uninstaller = FileBytes(ShippedFile("redud.exe"));
    ASSERT_FALSE(uninstaller.empty()) << "build the Windows programs first";
    const uint32_t expectedMs = VL_VERSION_MAJOR << 16 | VL_VERSION_MINOR;
    const uint32_t expectedLs = VL_VERSION_RELEASE << 16 | VL_VERSION_BUILD;
    for (size_t size = uninstaller.size(); size > 0; size = size > 300 ? size - 251 : size - 1) {
        std::vector<uint8_t> bytes(uninstaller.begin(), uninstaller.begin() + size);
        uint32_t ms = 0, ls = 0;
        bool read = ImageProductVersion(bytes.data(), bytes.size(), &ms, &ls);
        if (size == uninstaller.size()) {
            EXPECT_TRUE(read);
        }
        if (read) {
            EXPECT_EQ(ms, expectedMs) << size;
            EXPECT_EQ(ls, expectedLs) << size;
        }
    }
}

TEST_F(ShippedSetup, CarriesItsVersion) {
    auto version = image_->FindResource(RtVersion, 1);
    ASSERT_TRUE(version);
    EXPECT_EQ(FixedFileVersion(version->data), Version);
    EXPECT_EQ(FixedProductVersion(version->data), Version);
    EXPECT_EQ(VersionString(version->data, "CompanyName"), "Brindlecraft");
    EXPECT_EQ(VersionString(version->data, "ProductName"), "Vellorin library");
    EXPECT_EQ(VersionString(version->data, "ProductVersion"), Version);
    EXPECT_EQ(VersionString(version->data, "OriginalFilename"), "setup.exe");
}

TEST_F(ShippedSetup, AsksToRunAsAdministrator) { ExpectElevatedAndMadeForVistaTo11(*image_); }

// The payload holds this very file (see above).
TEST(ShippedUninstaller, AsksToRunAsAdministrator) {
    ExpectElevatedAndMadeForVistaTo11(PeImage::FromFile(ShippedFile("redud.exe")));
}

// The signature is left out too: its size depends on the certificate chain
// and the timestamp, not on the program.
TEST_F(ShippedSetup, TheProgramWithoutItsPayloadStaysBelow192KB) {
    size_t payload = 0;
    for (const PeResource& resource : Payload(*image_)) payload += resource.data.size();
    const size_t program =
        FileBytes(ShippedFile("setup.exe")).size() - payload - image_->CertificateTable().size();
    EXPECT_LT(program, 192u * 1024) << program << " bytes";
}

TEST_F(ShippedSetup, BothProgramsAreSignedExactlyWhenTheBuildWasGivenACertificate) {
    const bool signs = BuildSigns();
    EXPECT_EQ(HoldsAuthenticodeSignature(image_->CertificateTable()), signs);
    EXPECT_EQ(HoldsAuthenticodeSignature(PeImage(UninstallerInside(*image_)).CertificateTable()), signs)
        << "the uninstaller is signed before it goes into the payload";
}

TEST_F(ShippedSetup, CarriesItsDialogsPictureAndIcon) {
    EXPECT_TRUE(image_->FindResource(RtDialog, IDD_WIZARD));
    EXPECT_TRUE(image_->FindResource(RtDialog, IDD_CUSTOMIZE));
    EXPECT_TRUE(image_->FindResource(RtBitmap, IDB_WIZARD));
    EXPECT_TRUE(image_->FindResource(RtGroupIcon, IDI_SETUP));
    bool icon = false;
    for (const PeResource& resource : image_->Resources()) icon |= resource.type == RtIcon;
    EXPECT_TRUE(icon);
}

TEST(PeImageReader, RefusesWhatIsNotAProgram) {
    EXPECT_EQ(PeImage("").Error(), "no MZ header");
    EXPECT_EQ(PeImage(std::string("MZ") + std::string(100, '\0')).Error(), "no PE signature");
    // A program cut short after its headers: the section table is missing.
    const std::string program = FileBytes(ShippedFile("redud.exe"));
    ASSERT_GT(program.size(), 400u);
    PeImage cut(program.substr(0, 0x180));
    EXPECT_NE(cut.Error(), "");
    EXPECT_TRUE(cut.Resources().empty());
}

}  // namespace
