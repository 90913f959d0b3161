package realjvm.plugin;

// Found only through a wildcard entry of the class path.
public class Plugin {
    public static String name() {
        return "plugin.jar";
    }
}
