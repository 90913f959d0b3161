package probe;

// Sets a default uncaught-exception handler, as applications that log their crashes do, and lets an
// exception escape main.
public class HandledThrower {
    public static void main(String[] args) {
        Thread.setDefaultUncaughtExceptionHandler((thread, e) ->
                System.out.println("handled on " + thread.getName() + ": " + e.getMessage()));
        throw new IllegalStateException("crashed");
    }
}
