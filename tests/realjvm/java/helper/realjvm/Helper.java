package realjvm;

// Lives in a jar of its own, so that main reaching it proves the second class-path entry.
public class Helper {
    public static String name() {
        return "helper.jar";
    }
}
