// The library as a server: registration, unregistration, the regsvr tool, class factory and
// the library's lifetime.
#include "tests/reglib/TarnholdFixture.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <dlfcn.h>
#include <limits.h>

using runtime::Variant;
using namespace win32;

namespace
{

std::string ModuleRealPath()
{
    char resolved[PATH_MAX];
    return realpath(TARNHOLD_MODULE, resolved) ? std::string(resolved) : std::string();
}

// A text value below HKEY_CLASSES_ROOT, up to its terminator.
std::string ReadDefault(const std::string& path, const std::string& name = "")
{
    const auto [type, data] = PrivateRegistry::ReadValue(HKEY_CLASSES_ROOT, path, name);
    return type == REG_SZ ? std::string(data.c_str()) : "<no text value>";
}

// An entry point of the library while something else keeps it loaded; nullptr when nothing does.
template <typename Proc> Proc LoadedEntryPoint(const char* name)
{
    void* handle = dlopen(TARNHOLD_MODULE, RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    const auto entry = reinterpret_cast<Proc>(dlsym(handle, name));
    dlclose(handle);
    return entry;
}

bool ModuleLoaded()
{
    return LoadedEntryPoint<HRESULT (*)()>("DllCanUnloadNow") != nullptr;
}

} // namespace

class TarnholdServerTest : public TarnholdTest
{
protected:
    // Runs the regsvr tool on this test's hive; its exit status.
    int RunRegsvr(const QStringList& arguments, QString* output = nullptr)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("STRANDMOOR_HIVE"), registry.HivePath());
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(REGSVR_TOOL), arguments);
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "regsvr did not finish";
            return -1;
        }
        if (output)
            *output = QString::fromUtf8(process.readAll());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

TEST_F(TarnholdServerTest, RegistrationWritesClassProgIdInterfaceAndTypeLibraryKeys)
{
    const std::string clsid = "{B04D2094-18FF-4A8C-A759-A1900518CEF7}";
    const std::string iid = "{A9711A53-B058-4A50-85C5-C78994ABA285}";
    const std::string libid = "{4E0AF3BE-730E-4507-B0F7-CDB6928779D0}";
    const std::string module = ModuleRealPath();
    ASSERT_FALSE(module.empty());

    EXPECT_EQ(ReadDefault("CLSID\\" + clsid + "\\InprocServer32"), module);
    EXPECT_EQ(ReadDefault("CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ReadDefault("CLSID\\" + clsid + "\\ProgID"), "Tarnhold.TarnholdAPI");
    EXPECT_EQ(ReadDefault("CLSID\\" + clsid + "\\TypeLib"), libid);
    EXPECT_EQ(ReadDefault("Tarnhold.TarnholdAPI\\Clsid"), clsid);
    EXPECT_EQ(ReadDefault("Interface\\" + iid), "_TarnholdAPI");
    EXPECT_EQ(ReadDefault("Interface\\" + iid + "\\TypeLib"), libid);
    EXPECT_EQ(ReadDefault("Interface\\" + iid + "\\TypeLib", "Version"), "2.0");
    EXPECT_EQ(ReadDefault("TypeLib\\" + libid + "\\2.0"), "Orrindale Registry");
    EXPECT_EQ(ReadDefault("TypeLib\\" + libid + "\\2.0\\0\\win32"), module);

    CLSID fromProgId;
    ASSERT_EQ(CLSIDFromProgID(tarnhold::ProgID_TarnholdAPI, &fromProgId), S_OK);
    EXPECT_EQ(fromProgId, tarnhold::CLSID_TarnholdAPI);

    // Registering again changes nothing.
    EXPECT_TRUE(registry.CallEntryPoint("DllRegisterServer"));
    EXPECT_EQ(ReadDefault("CLSID\\" + clsid + "\\InprocServer32"), module);
}

TEST_F(TarnholdServerTest, UnregistrationRemovesEveryKeyOfTheClass)
{
    // A key the library did not write goes with the class key.
    const std::string clsidKey = "CLSID\\{B04D2094-18FF-4A8C-A759-A1900518CEF7}";
    registry.WriteValue(HKEY_CLASSES_ROOT, clsidKey + "\\Implemented Categories\\{X}", "", REG_SZ, Text("extra"));

    ASSERT_TRUE(registry.CallEntryPoint("DllUnregisterServer"));
    EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, clsidKey));
    EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "Tarnhold.TarnholdAPI"));
    EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "Interface\\{A9711A53-B058-4A50-85C5-C78994ABA285}"));
    EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{4E0AF3BE-730E-4507-B0F7-CDB6928779D0}"));
    EXPECT_TRUE(registry.KeyExists(HKEY_CLASSES_ROOT, "CLSID"));

    // The object created before keeps working.
    EXPECT_EQ(api->SaveSetting(u"App", u"Section", u"Key", Variant(1), nullptr), S_OK);
    // Unregistering what is not registered is no failure.
    EXPECT_TRUE(registry.CallEntryPoint("DllUnregisterServer"));
}

TEST_F(TarnholdServerTest, RegsvrRegistersAndUnregistersTheLibrary)
{
    ASSERT_TRUE(registry.CallEntryPoint("DllUnregisterServer"));
    hive::ResetForTests();

    QString output;
    EXPECT_EQ(RunRegsvr({QStringLiteral(TARNHOLD_MODULE)}, &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("DllRegisterServer"))) << output.toStdString();
    hive::ResetForTests();
    EXPECT_TRUE(CreateObject<tarnhold::_TarnholdAPI>(tarnhold::CLSID_TarnholdAPI));

    EXPECT_EQ(RunRegsvr({QStringLiteral("/u"), QStringLiteral("/s"), QStringLiteral(TARNHOLD_MODULE)}, &output), 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    hive::ResetForTests();
    EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "Tarnhold.TarnholdAPI"));

    EXPECT_EQ(RunRegsvr({}), 1);
    EXPECT_EQ(RunRegsvr({QStringLiteral("/x"), QStringLiteral(TARNHOLD_MODULE)}), 1);
    EXPECT_EQ(RunRegsvr({registry.HivePath() + QStringLiteral(".missing.so")}), 3);
}

TEST_F(TarnholdServerTest, TheLibraryStaysLoadedWhileObjectsLive)
{
    // Only CoCreateInstance holds the library now.
    ASSERT_TRUE(ModuleLoaded());
    const auto canUnloadNow = LoadedEntryPoint<HRESULT (*)()>("DllCanUnloadNow");
    ASSERT_NE(canUnloadNow, nullptr);
    EXPECT_EQ(canUnloadNow(), S_FALSE);

    CoFreeUnusedLibraries();
    ASSERT_TRUE(ModuleLoaded());
    EXPECT_EQ(api->SaveSetting(u"App", u"Section", u"Key", Variant(1), nullptr), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);

    api.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
    CoFreeUnusedLibraries();
    EXPECT_FALSE(ModuleLoaded());

    // Creating again loads it again.
    api = CreateObject<tarnhold::_TarnholdAPI>(tarnhold::CLSID_TarnholdAPI);
    EXPECT_TRUE(ModuleLoaded());
}

TEST_F(TarnholdServerTest, TheClassFactoryMakesIndependentObjectsOnly)
{
    void* raw = nullptr;
    ASSERT_EQ(CoGetClassObject(tarnhold::CLSID_TarnholdAPI, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &raw),
              S_OK);
    ComPtr<IClassFactory> factory;
    factory.Attach(static_cast<IClassFactory*>(raw));

    void* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(api.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(factory->CreateInstance(nullptr, tarnhold::_TarnholdAPI::InterfaceId, &object), S_OK);
    ComPtr<tarnhold::_TarnholdAPI> second;
    second.Attach(static_cast<tarnhold::_TarnholdAPI*>(object));
    ASSERT_EQ(api->put_KeyPrefix(u"Mine\\"), S_OK);
    std::u16string prefix;
    ASSERT_EQ(second->get_KeyPrefix(&prefix), S_OK);
    EXPECT_NE(prefix, u"Mine\\");

    // The same object answers for all its interfaces.
    ComPtr<IUnknown> viaApi;
    ComPtr<IUnknown> viaSecond;
    ASSERT_EQ(api.As(viaApi), S_OK);
    ASSERT_EQ(second.As(viaSecond), S_OK);
    EXPECT_NE(viaApi.Get(), viaSecond.Get());
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(api.As(dispatch), S_OK);
    ComPtr<IUnknown> viaDispatch;
    ASSERT_EQ(dispatch.As(viaDispatch), S_OK);
    EXPECT_EQ(viaDispatch.Get(), viaApi.Get());

    void* wrongClass = nullptr;
    constexpr CLSID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    const auto getClassObject = LoadedEntryPoint<DllGetClassObjectProc>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    EXPECT_EQ(getClassObject(other, IID_IClassFactory, &wrongClass), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(wrongClass, nullptr);
}
